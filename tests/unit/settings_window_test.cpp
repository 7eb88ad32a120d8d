// Settings OK: the language goes to config.xml under both names and takes
// effect at the next start; a save that fails is reported with its cause,
// never as success, and the old file stays as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/GuiIds.h"
#include "app/PathText.h"
#include "startup/Startup.h"
#include "app/Translate.h"
#include "support/EditorFixture.h"
#include "support/FileSystemFaults.h"

using namespace irr;
using sorn::editor;
using sorn::translate;
using sorn::test::folderEntries;
using sorn::test::readFile;
using sorn::test::writeFile;
namespace fs = std::filesystem;
namespace ids = sorn::ids;

namespace {

const char* const kConfig =
    "<?xml version=\"1.0\"?>\n<config>\n<prog>\n"
    "<setting name=\"aaa\" value=\"1\" />\n<setting name=\"langage\" value=\"en\" />\n"
    "<setting name=\"language\" value=\"en\" />\n<setting name=\"zzz\" value=\"last\" />\n"
    "</prog>\n</config>\n";

// The engine writes config.xml as UTF-32 little-endian; ASCII is enough here.
std::string asciiOf(const std::string& bytes) {
    std::string text;
    for (size_t i = 4; i + 3 < bytes.size(); i += 4)
        text += bytes[i];
    return text;
}

class SettingsWindowTest : public sorn::test::EditorTest {
protected:
    void SetUp() override {
        configText = kConfig;
        EditorTest::SetUp();
        configPath = appFolder.file("config.xml");
    }

    void chooseAndPress(const wchar_t* language, s32 button) {
        chooseMenuCommand(ids::CmdSettings);
        auto* combo = static_cast<gui::IGUIComboBox*>(sorn::findElement(ids::SettingsLanguageCombo));
        ASSERT_NE(combo, nullptr);
        for (u32 i = 0; i < combo->getItemCount(); ++i)
            if (core::stringw(combo->getItem(i)) == language)
                combo->setSelected(static_cast<s32>(i));
        clickButton(button);
    }

    static void collectMessageBoxes(gui::IGUIElement* element, std::vector<gui::IGUIElement*>& found) {
        for (gui::IGUIElement* child : element->getChildren()) {
            if (child->getType() == gui::EGUIET_MESSAGE_BOX)
                found.push_back(child);
            collectMessageBoxes(child, found);
        }
    }

    // Caption and text of every open message box, then closes them.
    std::vector<std::pair<core::stringw, core::stringw>> takeMessages() {
        std::vector<gui::IGUIElement*> boxes;
        collectMessageBoxes(gui()->getRootGUIElement(), boxes);
        std::vector<std::pair<core::stringw, core::stringw>> messages;
        for (gui::IGUIElement* box : boxes) {
            core::stringw text;
            for (gui::IGUIElement* child : box->getChildren())
                if (child->getType() == gui::EGUIET_STATIC_TEXT)
                    text = child->getText();
            messages.emplace_back(box->getText(), text);
            box->remove();
        }
        return messages;
    }

    std::string configPath;
};

TEST_F(SettingsWindowTest, OkWritesBothLanguageEntriesInKeyOrderWithEveryOtherSetting) {
    chooseAndPress(L"French", ids::SettingsOk);
    EXPECT_EQ(sorn::findElement(ids::SettingsWindow), nullptr);
    const std::string text = asciiOf(readFile(configPath));
    const char* const expected[] = {
        "<setting name=\"aaa\" value=\"1\" />", "<setting name=\"langage\" value=\"fr\" />",
        "<setting name=\"language\" value=\"fr\" />", "<setting name=\"zzz\" value=\"last\" />"};
    size_t previous = 0;
    for (const char* entry : expected) {
        const size_t at = text.find(entry);
        ASSERT_NE(at, std::string::npos) << entry << " in\n" << text;
        EXPECT_GT(at, previous) << entry << " out of key order";
        previous = at;
    }
    core::stringw message = translate(L"window_settings_save_box_message");
    message += L"\n";
    message += translate(L"window_settings_next_start");
    const auto messages = takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, translate(L"window_settings_save_box_caption"));
    EXPECT_EQ(messages[0].second, message);
    EXPECT_EQ(folderEntries(appFolder.path()), (std::vector<std::string>{"config.xml", "doc", "lang", "media"}));
}

TEST_F(SettingsWindowTest, TheChosenLanguageIsUsedAtTheNextStart) {
    const core::stringw englishFile = translate(L"menu_file");
    chooseAndPress(L"French", ids::SettingsOk);
    EXPECT_EQ(translate(L"menu_file"), englishFile) << "the running editor keeps its texts";

    sorn::shutdownEditor();
    char name[] = "sorn-editor";
    char* argv[] = {name, nullptr};
    ASSERT_TRUE(sorn::startEditor(1, argv, video::EDT_NULL, &receiver));
    auto* menu = static_cast<gui::IGUIContextMenu*>(sorn::findElement(ids::MenuBar));
    ASSERT_NE(menu, nullptr);
    const core::stringw shown = menu->getItemText(0);
    EXPECT_EQ(editor.config.get(L"language"), core::stringw(L"fr"));
    sorn::loadLanguage(L"fr");
    EXPECT_EQ(shown, translate(L"menu_file"));
    EXPECT_NE(shown, englishFile);
}

TEST_F(SettingsWindowTest, CancelWritesNothing) {
    const std::string before = readFile(configPath);
    struct stat status {};
    ASSERT_EQ(::stat(configPath.c_str(), &status), 0);
    chooseAndPress(L"French", ids::SettingsCancel);
    EXPECT_EQ(sorn::findElement(ids::SettingsWindow), nullptr);
    EXPECT_EQ(readFile(configPath), before);
    struct stat after {};
    ASSERT_EQ(::stat(configPath.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, status.st_ino);
    EXPECT_EQ(editor.config.get(L"language"), core::stringw(L"en"));
    EXPECT_TRUE(takeMessages().empty());
}

// Each way config.xml can fail to be written: the message says so and why,
// the file (or whatever stands there) is as it was, no temporary file is
// left, and the choice is kept in memory.
TEST_F(SettingsWindowTest, FailedSavesAreReportedWithTheirCauseAndKeepTheOldFile) {
    struct Case {
        const char* name;
        const wchar_t* reason;
        // Sets the failure up; false: not possible here. Returns the path written.
        std::function<bool(std::string& path)> arrange;
        std::function<void()> undo;
    };
    const std::string folder = appFolder.path();
    sorn::test::TinyFileSystem disk("64k");
    const Case cases[] = {
        {"read-only file", L"window_settings_error_read_only",
         [&](std::string& path) { path = configPath; return sorn::test::setImmutable(path, true); },
         [&] { sorn::test::setImmutable(configPath, false); }},
        {"read-only folder", L"window_settings_error_read_only",
         [&](std::string& path) { path = configPath; return sorn::test::setImmutable(folder, true); },
         [&] { sorn::test::setImmutable(folder, false); }},
        {"folder in its place", L"window_settings_error_not_a_file",
         [&](std::string& path) {
             path = folder + "/sub/config.xml";
             return fs::create_directories(path);
         },
         [] {}},
        {"missing folder", L"window_settings_error_missing_folder",
         [&](std::string& path) { path = folder + "/gone/config.xml"; return true; }, [] {}},
        {"full disk", L"window_settings_error_disk_full",
         [&](std::string& path) {
             if (!disk.mounted())
                 return false;
             path = disk.path() + "/config.xml";
             writeFile(path, kConfig);
             writeFile(disk.path() + "/filler", std::string(64 * 1024, 'f')); // fills what is left
             return true;
         },
         [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path;
        if (!c.arrange(path)) {
            std::cout << "[ skipped ] " << c.name << ": not possible in this environment\n";
            c.undo();
            continue;
        }
        const std::string parent = fs::path(path).parent_path().string();
        const std::vector<std::string> entries = folderEntries(parent);
        const bool wasFile = fs::is_regular_file(path);
        const std::string before = wasFile ? readFile(path) : std::string();
        editor.config.fileName = sorn::widePath(path);
        editor.config.set(L"language", L"en");
        chooseAndPress(L"French", ids::SettingsOk);
        c.undo();

        const auto messages = takeMessages();
        ASSERT_EQ(messages.size(), 1u);
        core::stringw text = translate(L"window_settings_save_failed_message");
        text += L"\n";
        text += translate(c.reason);
        EXPECT_EQ(messages[0].first, translate(L"window_settings_save_failed_caption"));
        EXPECT_EQ(messages[0].second, text);
        EXPECT_EQ(folderEntries(parent), entries);
        if (wasFile)
            EXPECT_EQ(readFile(path), before);
        else
            EXPECT_FALSE(fs::is_regular_file(path));
        EXPECT_EQ(editor.config.get(L"language"), core::stringw(L"fr")) << "the choice stays in memory";
        EXPECT_EQ(editor.config.get(L"langage"), core::stringw(L"fr"));
    }
}

TEST_F(SettingsWindowTest, WriteFailureAtEveryBlockKeepsTheOldFile) {
    long calls = 0;
    {
        sorn::test::WriteFaults counting(-1);
        ASSERT_TRUE(editor.config.save());
        calls = sorn::test::WriteFaults::calls();
    }
    const std::string saved = readFile(configPath);
    ASSERT_GE(calls, 1);
    for (long failAt = 0; failAt < calls; ++failAt) {
        sorn::test::WriteFaults faults(failAt);
        chooseAndPress(failAt % 2 ? L"French" : L"English", ids::SettingsOk);
        const auto messages = takeMessages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].first, translate(L"window_settings_save_failed_caption")) << failAt;
        ASSERT_EQ(readFile(configPath), saved) << "write " << failAt << " of " << calls;
        ASSERT_EQ(folderEntries(appFolder.path()), (std::vector<std::string>{"config.xml", "doc", "lang", "media"}));
    }
}

} // namespace
