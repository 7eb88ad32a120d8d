#include <gtest/gtest.h>

#include <filesystem>

#include "app/TextConvert.h"
#include "app/Translate.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"

using namespace irr;
using sorn::editor;
using sorn::translate;
using sorn::test::TempDir;
using sorn::test::writeFile;

namespace {

class LanguageTest : public sorn::test::NullDeviceTest {
protected:
    void SetUp() override {
        NullDeviceTest::SetUp();
        std::filesystem::create_directory(dir.file("lang"));
        editor.appDirectory = sorn::widePath(dir.path());
    }
    void load(const std::string& text) {
        writeFile(dir.file("lang/xx.xml"), text);
        sorn::loadLanguage(L"xx");
    }
    TempDir dir;
};

// A UTF-16LE file with a byte-order mark, as the editor's language files are stored.
std::string utf16(const std::wstring& text) {
    std::string bytes = "\xff\xfe";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xff);
        bytes += static_cast<char>((c >> 8) & 0xff);
    }
    return bytes;
}

TEST_F(LanguageTest, BothEntryFormsGiveTheText) {
    load("<?xml version=\"1.0\"?><root><lang>"
         "<string name=\"menu_file\" value=\"File\"/>"
         "<string name=\"menu_view\">View</string>"
         "</lang></root>");
    EXPECT_EQ(translate(L"menu_file"), core::stringw(L"File"));
    EXPECT_EQ(translate(L"menu_view"), core::stringw(L"View"));
}

TEST_F(LanguageTest, TextsKeepTheCharacterAfterAnEntity) {
    load("<lang><string name=\"b\" value=\"x&lt;y\"/><string name=\"a\">R&amp;D</string>"
         "<string name=\"c\">&gt;&gt;z</string></lang>");
    EXPECT_EQ(translate(L"a"), core::stringw(L"R&D"));
    EXPECT_EQ(translate(L"b"), core::stringw(L"x<y"));
    EXPECT_EQ(translate(L"c"), core::stringw(L">>z"));
}

TEST_F(LanguageTest, MissingKeyReadsAsUnderscoresNotTheKey) {
    load("<root><lang><string name=\"menu_file\" value=\"File\"/></lang></root>");
    EXPECT_EQ(translate(L"menu_quit"), core::stringw(L"___"));
    EXPECT_EQ(translate(L"MENU_FILE"), core::stringw(L"___"));
}

TEST_F(LanguageTest, EmptyNameIsSkipped) {
    load("<root><lang><string name=\"\" value=\"x\"/><string value=\"y\"/></lang></root>");
    EXPECT_TRUE(editor.languageTable.empty());
}

TEST_F(LanguageTest, OutsideLangOnlyTheCharacterDataFormCounts) {
    load("<root><string name=\"a\" value=\"attr\"/><string name=\"b\">text</string><lang></lang></root>");
    EXPECT_EQ(translate(L"a"), core::stringw(L"___"));
    EXPECT_EQ(translate(L"b"), core::stringw(L"text"));
}

TEST_F(LanguageTest, ClosingTagOfATextEntryClosesTheSection) {
    load("<root><lang><string name=\"a\">A</string><string name=\"b\" value=\"B\"/>"
         "<string name=\"c\">C</string></lang><lang><string name=\"d\" value=\"D\"/></lang></root>");
    EXPECT_EQ(translate(L"a"), core::stringw(L"A"));
    EXPECT_EQ(translate(L"b"), core::stringw(L"___"));
    EXPECT_EQ(translate(L"c"), core::stringw(L"C"));
    EXPECT_EQ(translate(L"d"), core::stringw(L"D"));
}

TEST_F(LanguageTest, Utf16FileDecodesAccents) {
    load(utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><root><lang>"
               L"<string name=\"menu_file\" value=\"Fichier \u00e9t\u00e9 \u00e0 \u00e7a\"/></lang></root>"));
    EXPECT_EQ(translate(L"menu_file"), core::stringw(L"Fichier \u00e9t\u00e9 \u00e0 \u00e7a"));
}

TEST_F(LanguageTest, LoadingReplacesTheWholeTable) {
    load("<root><lang><string name=\"a\" value=\"1\"/></lang></root>");
    load("<root><lang><string name=\"b\" value=\"2\"/></lang></root>");
    EXPECT_EQ(translate(L"a"), core::stringw(L"___"));
    EXPECT_EQ(translate(L"b"), core::stringw(L"2"));
}

// Without an English file either, the table stays empty.
TEST_F(LanguageTest, UnreadableOrGarbageFilesLeaveDefaults) {
    sorn::loadLanguage(L"XXX");
    EXPECT_TRUE(editor.languageTable.empty());
    std::string garbage;
    for (int i = 0; i < 100000; ++i)
        garbage += static_cast<char>((i * 7919) & 0xff);
    for (const std::string& text : {std::string(), garbage, std::string("<root><lang><string name=\"a"),
                                    std::string("\xff\xfe\x3c")}) {
        load(text);
        EXPECT_EQ(translate(L"menu_file"), core::stringw(L"___"));
    }
}

TEST_F(LanguageTest, MissingUnreadableOrEmptyFilesFallBackToEnglish) {
    writeFile(dir.file("lang/en.xml"), "<root><lang><string name=\"menu_file\" value=\"File\"/></lang></root>");
    sorn::loadLanguage(L"XXX"); // no "language" setting
    EXPECT_EQ(translate(L"menu_file"), core::stringw(L"File"));
    EXPECT_EQ(translate(L"menu_quit"), core::stringw(L"___")) << "English lacks it too";

    for (const std::string& text : {std::string(), std::string("<root><lang><string name=\"a"),
                                    std::string("<root><lang></lang></root>")}) {
        load(text);
        EXPECT_EQ(translate(L"menu_file"), core::stringw(L"File")) << text;
    }

    // A table that loads is used as it is: its missing keys read as "___".
    load("<root><lang><string name=\"menu_view\" value=\"Vue\"/></lang></root>");
    EXPECT_EQ(translate(L"menu_view"), core::stringw(L"Vue"));
    EXPECT_EQ(translate(L"menu_file"), core::stringw(L"___"));
}

TEST_F(LanguageTest, FilesAreFoundFromTheProgramFolderNotTheWorkingDirectory) {
    load("<root><lang><string name=\"a\" value=\"1\"/></lang></root>");
    editor.device->getFileSystem()->changeWorkingDirectoryTo("/");
    sorn::loadLanguage(L"xx");
    EXPECT_EQ(translate(L"a"), core::stringw(L"1"));
}

} // namespace
