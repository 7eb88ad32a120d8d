// The editor's file dialog: what it lists and in which order, where typed
// paths lead, the filters by kind, type-ahead, the folder kept per use, and
// the events it reports to the editor (null driver).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/FileDialog.h"
#include "app/PathText.h"
#include "events/KeyboardMouseEditing.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;
using sorn::FileKind;
namespace ids = sorn::ids;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesOf(const std::vector<sorn::FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const sorn::FolderEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

TEST(FileListing, FoldersFirstThenFilesEachByNameParentOnTopButAtTheRoot) {
    const std::vector<sorn::FolderEntry> read = {{"b.irr", false}, {"Zeta", true}, {"a.irr", false},
                                                 {"alpha", true},  {"B.irr", false}, {".git", true},
                                                 {".hidden.irr", false}, {"\xC3\xA9t\xC3\xA9.irr", false}};
    struct Case {
        std::string folder;
        bool hidden;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"/work", false, {"..", "alpha", "Zeta", "a.irr", "B.irr", "b.irr", "\xC3\xA9t\xC3\xA9.irr"}},
        {"/", false, {"alpha", "Zeta", "a.irr", "B.irr", "b.irr", "\xC3\xA9t\xC3\xA9.irr"}},
        {"/work", true, {"..", ".git", "alpha", "Zeta", ".hidden.irr", "a.irr", "B.irr", "b.irr", "\xC3\xA9t\xC3\xA9.irr"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(namesOf(sorn::arrangeEntries(read, c.folder, c.hidden, nullptr)), c.expected) << c.folder;
    const auto onlyB = [](const std::string& name) { return name == "b.irr"; };
    EXPECT_EQ(namesOf(sorn::arrangeEntries(read, "/w", false, onlyB)),
              (std::vector<std::string>{"..", "alpha", "Zeta", "b.irr"}))
        << "the filter keeps folders";
}

TEST(FileListing, TypedPathsResolveFromHomeOrTheFolderShown) {
    struct Case {
        std::string typed;
        std::string expected;
    };
    const Case cases[] = {
        {"~", "/home/ann"},          {"~/x.irr", "/home/ann/x.irr"},   {"level.irr", "/data/maps/level.irr"},
        {"..", "/data"},             {"../../..", "/"},                {"./a/../b.irr", "/data/maps/b.irr"},
        {"/etc/x/", "/etc/x"},       {"sub dir/\xC3\xA9.irr", "/data/maps/sub dir/\xC3\xA9.irr"},
        {"~other", "/data/maps/~other"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sorn::resolveTypedPath(c.typed, "/data/maps", "/home/ann"), c.expected) << c.typed;
}

TEST(FileListing, TypeAheadBuildsAWordWhileKeysFollowWithinASecond) {
    const std::vector<std::wstring> names = {L"..", L"earth.jpg", L"Example.irr", L"example2.irr"};
    struct Step {
        wchar_t letter;
        unsigned atMs;
        int expected;
    };
    const Step steps[] = {{L'e', 0, 1}, {L'x', 400, 2}, {L'A', 1300, 2}, {L'e', 3000, 1}, {L'z', 3100, -1}};
    sorn::TypeAhead typeAhead;
    for (const Step& step : steps)
        EXPECT_EQ(sorn::firstEntryStartingWith(names, typeAhead.type(step.letter, step.atMs)), step.expected)
            << "at " << step.atMs;
}

// An element that keeps what the dialog reports to its parent.
class Recorder : public gui::IGUIElement {
public:
    explicit Recorder(gui::IGUIEnvironment* env)
        : gui::IGUIElement(gui::EGUIET_ELEMENT, env, env->getRootGUIElement(), -1, core::rect<s32>(0, 0, 1000, 750)) {}
    bool OnEvent(const SEvent& event) override {
        if (event.EventType == EET_GUI_EVENT && event.GUIEvent.Caller &&
            event.GUIEvent.Caller->getType() == gui::EGUIET_FILE_OPEN_DIALOG &&
            event.GUIEvent.EventType != gui::EGET_DIRECTORY_SELECTED) {
            reports.push_back(event.GUIEvent.EventType);
            chosen = static_cast<gui::IGUIFileOpenDialog*>(event.GUIEvent.Caller)->getFileName();
        }
        return true;
    }
    std::vector<gui::EGUI_EVENT_TYPE> reports;
    std::wstring chosen;
};

class FileDialogTest : public sorn::test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        folder = fs::current_path().string();
        recorder = new Recorder(gui());
        recorder->drop();
    }

    sorn::FileDialog* open(FileKind use) {
        auto* made = new sorn::FileDialog(gui(), recorder, 7, core::rect<s32>(0, 0, 460, 380), L"t", use);
        made->drop();
        return made;
    }

    void post(sorn::FileDialog* dialog, gui::EGUI_EVENT_TYPE type, s32 childId) {
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = dialog->getElementFromId(childId, true);
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = type;
        dialog->OnEvent(event);
    }

    void typeInto(sorn::FileDialog* dialog, const std::string& text) {
        dialog->pathField()->setText(sorn::widePath(text).c_str());
        post(dialog, gui::EGET_EDITBOX_ENTER, ids::FileDialogPath);
    }

    std::string folder;
    Recorder* recorder = nullptr;
};

TEST_F(FileDialogTest, FiltersByTheUsesKindAskingTheEnginesLoaders) {
    fs::create_directory("kinds");
    for (const char* name : {"a.irr", "m.obj", "m.3ds", "p.png", "p.JPG", "s.skybox", "g.pk3", "n.txt"})
        sorn::test::writeFile(std::string("kinds/") + name, "x");
    struct Case {
        FileKind kind;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {FileKind::Openable, {"..", "a.irr", "g.pk3", "m.3ds", "m.obj"}},
        {FileKind::Scene, {"..", "a.irr"}},
        {FileKind::Model, {"..", "m.3ds", "m.obj"}},
        {FileKind::Image, {"..", "p.JPG", "p.png"}},
        {FileKind::SkyBox, {"..", "p.JPG", "p.png", "s.skybox"}},
        {FileKind::Archive, {"..", "g.pk3"}},
        {FileKind::All, {"..", "a.irr", "g.pk3", "m.3ds", "m.obj", "n.txt", "p.JPG", "p.png", "s.skybox"}},
    };
    for (const Case& c : cases) {
        sorn::FileDialog* dialog = open(FileKind::Openable);
        ASSERT_TRUE(dialog->showFolder(folder + "/kinds"));
        dialog->setFilter(c.kind);
        EXPECT_EQ(namesOf(dialog->entries()), c.expected) << sorn::fileKindWord(c.kind);
        EXPECT_EQ(dialog->list()->getItemCount(), c.expected.size());
    }
}

TEST_F(FileDialogTest, TypeAheadSelectsWhatOkOpens) {
    sorn::test::writeFile("earth.jpg", "x");
    sorn::test::writeFile("example.irr", "x");
    sorn::FileDialog* dialog = sorn::openEditorFileDialog(-1, L"any");
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(gui()->getFocus(), dialog->list());
    for (wchar_t letter : {L'E', L'x'}) {
        SEvent key = sorn::test::keyEvent(KEY_KEY_E, true);
        key.KeyInput.Char = letter;
        EXPECT_TRUE(editor.device->postEventFromUser(key)) << "the letter is the list's, not a command";
    }
    ASSERT_GE(dialog->list()->getSelected(), 0);
    EXPECT_EQ(std::wstring(dialog->list()->getListItem(static_cast<u32>(dialog->list()->getSelected()))),
              L"example.irr");
    dialog->grab();
    post(dialog, gui::EGET_BUTTON_CLICKED, ids::FileDialogOk);
    EXPECT_EQ(std::wstring(dialog->getFileName()), sorn::widePath(folder + "/example.irr").c_str());
    EXPECT_EQ(dialog->getParent(), nullptr) << "the dialog closed with its modal screen";
    EXPECT_FALSE(sorn::modalDialogOpen());
    dialog->drop();
}

TEST_F(FileDialogTest, TypedPathsOpenFilesEnterFoldersAndNameWhatIsMissing) {
    fs::create_directories("maps/d\xC3\xA9j\xC3\xA0 vu");
    sorn::test::writeFile("maps/d\xC3\xA9j\xC3\xA0 vu/level.irr", "x");
    sorn::FileDialog* dialog = open(FileKind::Scene);
    typeInto(dialog, "maps/d\xC3\xA9j\xC3\xA0 vu");
    EXPECT_EQ(dialog->folder(), folder + "/maps/d\xC3\xA9j\xC3\xA0 vu");
    typeInto(dialog, "gone.irr");
    EXPECT_NE(dialog->message().find(L"gone.irr"), std::wstring::npos);
    EXPECT_TRUE(recorder->reports.empty()) << "nothing is sent for a missing name";
    EXPECT_FALSE(dialog->showFolder(folder + "/no-such-folder"));
    EXPECT_NE(dialog->message().find(L"no-such-folder"), std::wstring::npos);
    EXPECT_EQ(dialog->folder(), folder + "/maps/d\xC3\xA9j\xC3\xA0 vu") << "the list stays where it was";

    dialog->grab();
    typeInto(dialog, "../d\xC3\xA9j\xC3\xA0 vu/level.irr");
    EXPECT_EQ(recorder->reports, std::vector<gui::EGUI_EVENT_TYPE>{gui::EGET_FILE_SELECTED});
    EXPECT_EQ(recorder->chosen, sorn::widePath(folder + "/maps/d\xC3\xA9j\xC3\xA0 vu/level.irr").c_str());
    EXPECT_EQ(fs::current_path().string(), folder) << "the working directory never moves";
    dialog->drop();
}

TEST_F(FileDialogTest, ListChoicesEnterFoldersAndCancelAndCloseReportCancelled) {
    fs::create_directory("sub");
    sorn::FileDialog* dialog = open(FileKind::All);
    const auto index = [&](const std::string& name) {
        const std::vector<std::string> names = namesOf(dialog->entries());
        return static_cast<s32>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    dialog->list()->setSelected(index("sub"));
    post(dialog, gui::EGET_BUTTON_CLICKED, ids::FileDialogOk);
    EXPECT_EQ(dialog->folder(), folder + "/sub") << "OK on a folder enters it";
    dialog->list()->setSelected(index(".."));
    post(dialog, gui::EGET_LISTBOX_SELECTED_AGAIN, ids::FileDialogList);
    EXPECT_EQ(dialog->folder(), folder);
    for (s32 button : {ids::FileDialogCancel, ids::FileDialogClose}) {
        recorder->reports.clear();
        post(open(FileKind::All), gui::EGET_BUTTON_CLICKED, button);
        EXPECT_EQ(recorder->reports, std::vector<gui::EGUI_EVENT_TYPE>{gui::EGET_FILE_CHOOSE_DIALOG_CANCELLED});
    }
}

TEST_F(FileDialogTest, HiddenFilesOnlyWhenAsked) {
    fs::create_directory("h");
    sorn::test::writeFile("h/.secret.irr", "x");
    sorn::FileDialog* dialog = open(FileKind::Scene);
    ASSERT_TRUE(dialog->showFolder(folder + "/h"));
    EXPECT_EQ(namesOf(dialog->entries()), std::vector<std::string>{".."});
    auto* box = static_cast<gui::IGUICheckBox*>(dialog->getElementFromId(ids::FileDialogHidden, true));
    box->setChecked(true);
    post(dialog, gui::EGET_CHECKBOX_CHANGED, ids::FileDialogHidden);
    EXPECT_EQ(namesOf(dialog->entries()), (std::vector<std::string>{"..", ".secret.irr"}));
}

TEST_F(FileDialogTest, TheLastFolderOfEachUseIsKeptWrittenOnlyWhenItChanges) {
    fs::create_directory("models");
    sorn::test::writeFile("models/ship.obj", "x");
    for (int pass = 0; pass < 2; ++pass) {
        sorn::FileDialog* dialog = open(FileKind::Model);
        EXPECT_EQ(dialog->folder(), pass == 0 ? folder : folder + "/models");
        typeInto(dialog, folder + "/models/ship.obj");
        EXPECT_EQ(editor.config.get(L"dialog_folder_model"), sorn::widePath(folder + "/models"));
        EXPECT_EQ(sorn::test::fileExists(appFolder.file("config.xml")), pass == 0) << "written once, at pass " << pass;
        fs::remove(appFolder.file("config.xml"));
    }
    EXPECT_EQ(open(FileKind::Image)->folder(), folder) << "each use keeps its own";
    fs::remove_all("models");
    EXPECT_EQ(open(FileKind::Model)->folder(), folder) << "a folder that has gone: the working directory";
}

} // namespace
