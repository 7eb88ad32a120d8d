#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sys/stat.h>

#include "app/ConfigFile.h"
#include "app/TextConvert.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"

using namespace irr;
using sorn::ConfigFile;
using sorn::test::TempDir;
using sorn::test::readFile;
using sorn::test::writeFile;

namespace {

class ConfigFileTest : public sorn::test::NullDeviceTest {
protected:
    ConfigFile loadText(const std::string& text) {
        writeFile(dir.file("config.xml"), text);
        ConfigFile config;
        config.fileName = sorn::widePath(dir.file("config.xml"));
        loaded = config.load();
        return config;
    }
    // The engine writes wchar_t text; read the saved file back as wide text.
    std::wstring savedText(const std::string& path) {
        std::string bytes = readFile(path);
        std::wstring text;
        size_t start = bytes.size() >= 4 && bytes.compare(0, 4, "\xff\xfe\0\0", 4) == 0 ? 4 : 0;
        for (size_t i = start; i + 3 < bytes.size(); i += 4)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                         static_cast<unsigned char>(bytes[i + 2]) << 16);
        return text;
    }
    TempDir dir;
    bool loaded = false;
};

TEST_F(ConfigFileTest, ReadsSettingsInsideProgSection) {
    ConfigFile config = loadText(
        "<?xml version=\"1.0\"?><config><prog><setting name=\"language\" value=\"fr\"/></prog></config>");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(config.get(L"language"), core::stringw(L"fr"));
}

struct SettingCase {
    const char* name;
    const char* body;  // inside <config>
    const wchar_t* key;
    const wchar_t* expected;
    size_t count;
};

class ConfigFileCases : public ConfigFileTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(ConfigFileCases, ParsesAsTheFormatSays) {
    const SettingCase& c = GetParam();
    ConfigFile config = loadText(std::string("<?xml version=\"1.0\"?><config>") + c.body + "</config>");
    EXPECT_EQ(config.get(c.key), core::stringw(c.expected));
    EXPECT_EQ(config.settings.size(), c.count);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ConfigFileCases,
    ::testing::Values(
        SettingCase{"EmptyNameSkipped", "<prog><setting name=\"\" value=\"x\"/></prog>", L"", L"XXX", 0},
        SettingCase{"MissingNameSkipped", "<prog><setting value=\"x\"/></prog>", L"", L"XXX", 0},
        SettingCase{"MissingValueIsEmpty", "<prog><setting name=\"a\"/></prog>", L"a", L"", 1},
        SettingCase{"OutsideProgIgnored", "<setting name=\"a\" value=\"1\"/><prog></prog>", L"a", L"XXX", 0},
        SettingCase{"LastOneWins", "<prog><setting name=\"a\" value=\"1\"/><setting name=\"a\" value=\"2\"/></prog>",
                    L"a", L"2", 1},
        SettingCase{"ProgAtAnyDepth", "<x><prog><setting name=\"a\" value=\"1\"/></prog></x>", L"a", L"1", 1},
        // A closing tag of any element, even a non-empty setting, closes the section.
        SettingCase{"NonEmptySettingClosesSection",
                    "<prog><setting name=\"a\" value=\"1\"></setting><setting name=\"b\" value=\"2\"/></prog>",
                    L"b", L"XXX", 1},
        SettingCase{"OtherElementsIgnored", "<prog><other name=\"a\" value=\"1\"/></prog>", L"a", L"XXX", 0},
        SettingCase{"CaseSensitiveNames", "<PROG><setting name=\"a\" value=\"1\"/></PROG>", L"a", L"XXX", 0},
        // The character after the last entity of a value is kept, also when it is the only one.
        SettingCase{"EntityBeforeTheLastCharacter", "<prog><setting name=\"a\" value=\"R&amp;D\"/></prog>", L"a",
                    L"R&D", 1},
        SettingCase{"EveryEntity", "<prog><setting name=\"a\" value=\"&lt;&gt;&amp;&quot;&apos;x\"/></prog>", L"a",
                    L"<>&\"'x", 1},
        SettingCase{"EntityInTheName", "<prog><setting name=\"a&gt;b\" value=\"1\"/></prog>", L"a>b", L"1", 1},
        SettingCase{"UnknownEntityKept", "<prog><setting name=\"a\" value=\"&foo;b\"/></prog>", L"a", L"&foo;b", 1}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return std::string(info.param.name); });

TEST_F(ConfigFileTest, MissingFileFailsAndLeavesSettingsEmpty) {
    ConfigFile config;
    config.fileName = sorn::widePath(dir.file("absent.xml"));
    EXPECT_FALSE(config.load());
    EXPECT_TRUE(config.settings.empty());
    EXPECT_EQ(config.get(L"language"), core::stringw(L"XXX"));
}

TEST_F(ConfigFileTest, BadFilesNeverStopTheReader) {
    std::mt19937 random(7);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    const std::string good =
        "<?xml version=\"1.0\"?><config><prog><setting name=\"language\" value=\"fr\"/></prog></config>";
    std::string large = "<config><prog>";
    for (int i = 0; i < 200000; ++i)
        large += "<setting name=\"k" + std::to_string(i) + "\" value=\"v\"/>";
    large += "</prog></config>";

    for (const std::string& text : {std::string(), good.substr(0, good.size() / 2), garbage, large,
                                    std::string("<config><prog><setting name=\"a"), std::string("\xff\xfe<")}) {
        ConfigFile config = loadText(text);
        EXPECT_TRUE(loaded);
        EXPECT_EQ(config.get(L"missing"), core::stringw(L"XXX"));
    }
    EXPECT_EQ(loadText(large).settings.size(), 200000u);
}

TEST_F(ConfigFileTest, SaveWritesEntriesInKeyOrderAndDropsOtherElements) {
    ConfigFile config = loadText(
        "<?xml version=\"1.0\"?><config><startUpModel file=\"a.3ds\"/>"
        "<prog><setting name=\"language\" value=\"fr\"/></prog></config>");
    config.set(L"langage", L"en");
    ASSERT_TRUE(config.save());

    std::wstring text = savedText(dir.file("config.xml"));
    size_t langage = text.find(L"<setting name=\"langage\" value=\"en\" />");
    size_t language = text.find(L"<setting name=\"language\" value=\"fr\" />");
    ASSERT_NE(langage, std::wstring::npos) << std::string(text.begin(), text.end());
    ASSERT_NE(language, std::wstring::npos);
    EXPECT_LT(langage, language);
    EXPECT_EQ(text.find(L"startUpModel"), std::wstring::npos);
    EXPECT_NE(text.find(L"<config>"), std::wstring::npos);
    EXPECT_NE(text.find(L"</prog>"), std::wstring::npos);

    ConfigFile reread;
    reread.fileName = config.fileName;
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.settings, config.settings);
}

// Values the writer escapes read back whole, wherever their escaped
// characters stand.
TEST_F(ConfigFileTest, EscapedCharactersSurviveASaveAndARead) {
    const wchar_t* const values[] = {L"R&D", L"/>b", L"a<b", L"q\"z", L"x'y", L"&", L">>x", L"a&b&c", L"&amp;"};
    ConfigFile config;
    config.fileName = sorn::widePath(dir.file("config.xml"));
    for (size_t i = 0; i < sizeof values / sizeof values[0]; ++i)
        config.set(core::stringw(L"k") + core::stringw(static_cast<int>(i)), values[i]);
    ASSERT_TRUE(config.save());
    ConfigFile reread;
    reread.fileName = config.fileName;
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.settings, config.settings);
}

// A UTF-32 file holds characters past the signed range of wchar_t. Three such
// names, ordered by a signed subtraction, would form a cycle; in every order
// they are written, each must be read, found, saved and read back.
TEST_F(ConfigFileTest, NamesWithCharactersPastTheSignedRangeAreAllKept) {
    const wchar_t low = L'b';
    const wchar_t high = static_cast<wchar_t>(0xFFFFFF00u);
    const wchar_t middle = static_cast<wchar_t>(0x80000001u);
    std::vector<wchar_t> names = {low, high, middle};
    std::sort(names.begin(), names.end());
    do {
        std::wstring text = L"<config><prog>";
        for (wchar_t name : names)
            text += std::wstring(L"<setting name=\"") + name + L"\" value=\"" + name + L"\"/>";
        text += L"</prog></config>";
        std::string bytes("\xff\xfe\0\0", 4);
        for (wchar_t c : text)
            for (int shift = 0; shift < 32; shift += 8)
                bytes += static_cast<char>(static_cast<uint32_t>(c) >> shift & 0xff);
        ConfigFile config = loadText(bytes);
        ASSERT_EQ(config.settings.size(), 3u);
        for (wchar_t name : names)
            EXPECT_EQ(config.get(core::stringw(std::wstring(1, name).c_str())),
                      core::stringw(std::wstring(1, name).c_str()));
        EXPECT_EQ(config.settings.begin()->first, core::stringw(std::wstring(1, low).c_str()));
        ASSERT_TRUE(config.save());
        ConfigFile reread;
        reread.fileName = config.fileName;
        ASSERT_TRUE(reread.load());
        EXPECT_EQ(reread.settings, config.settings);
    } while (std::next_permutation(names.begin(), names.end()));
}

// A sign-extended byte ("\xe9" as 0xFFFFFFE9) is what the editor's saves
// store as the byte itself: it reads as that byte, so that a save and a
// second read give the same settings.
TEST_F(ConfigFileTest, SignExtendedBytesReadAsTheBytesTheyStoreAs) {
    std::string bytes("\xff\xfe\0\0", 4);
    for (uint32_t c : std::u32string(U"<config><prog><setting name=\"\U0010FFFFx\" value=\"\U0010FFFF\"/></prog></config>"))
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((c == 0x10FFFF ? 0xFFFFFFE9u : c) >> shift & 0xff);
    ConfigFile config = loadText(bytes);
    EXPECT_EQ(config.get(L"\u00e9x"), core::stringw(L"\u00e9"));
    ASSERT_TRUE(config.save());
    ConfigFile reread;
    reread.fileName = config.fileName;
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.settings, config.settings);
}

TEST_F(ConfigFileTest, SaveFailsWithoutDeviceOrWritableFile) {
    ConfigFile config;
    config.set(L"a", L"b");
    config.fileName = sorn::widePath(dir.file("no/such/folder/config.xml"));
    EXPECT_FALSE(config.save());
    sorn::editor.device->drop();
    sorn::editor.device = nullptr;
    config.fileName = sorn::widePath(dir.file("config.xml"));
    EXPECT_FALSE(config.save());
    EXPECT_FALSE(config.load());
    EXPECT_FALSE(sorn::test::fileExists(dir.file("config.xml")));
}

// An installed editor reads the shipped settings, then the user's over them;
// a save writes the user's file alone, making its private folders first.
TEST_F(ConfigFileTest, UserSettingsOverTheDefaultsAndOnlyTheUsersFileIsWritten) {
    const std::string defaults = "<config><prog><setting name=\"a\" value=\"1\"/><setting name=\"b\" value=\"2\"/>"
                                 "</prog></config>";
    writeFile(dir.file("defaults.xml"), defaults);
    ConfigFile config, reread, neither;
    config.defaultsFileName = reread.defaultsFileName = sorn::widePath(dir.file("defaults.xml"));
    config.fileName = reread.fileName = sorn::widePath(dir.file("user/sorn é/config.xml"));
    EXPECT_TRUE(config.load()); // the first start: no file of the user's yet
    config.set(L"b", L"3");
    ASSERT_TRUE(config.save());
    EXPECT_EQ(readFile(dir.file("defaults.xml")), defaults);
    struct stat folder;
    ASSERT_EQ(stat(dir.file("user/sorn é").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);

    writeFile(dir.file("defaults.xml"), "<config><prog><setting name=\"b\" value=\"9\"/><setting name=\"c\" value=\"4\"/>"
                                        "</prog></config>");
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.settings, (sorn::SettingsMap{{L"a", L"1"}, {L"b", L"3"}, {L"c", L"4"}}));
    neither.fileName = sorn::widePath(dir.file("absent/config.xml"));
    EXPECT_FALSE(neither.load());
    EXPECT_FALSE(neither.save()); // without defaults: a runtime folder, which makes no folder
    neither.defaultsFileName = sorn::widePath(dir.file("absent.xml"));
    EXPECT_FALSE(neither.load());
}

} // namespace
