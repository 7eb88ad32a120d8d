// The save window on the whole editor (null driver): listing and walking
// folders, the name and extension checks with their message boxes, and a
// scene saved in a decimal-comma locale that opens again unchanged.
#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/GuiIds.h"
#include "app/Translate.h"
#include "events/SaveWindow.h"
#include "files/OpenFile.h"
#include "app/PathText.h"
#include "events/FileCommands.h"
#include "scene/UndoHistory.h"
#include "support/ChosenFileDialog.h"
#include "support/EditorFixture.h"
#include "support/SceneSnapshot.h"

using namespace irr;
using sorn::editor;
using sorn::saveWindow;
namespace ids = sorn::ids;
namespace fs = std::filesystem;

namespace {

class SaveWindowTest : public sorn::test::EditorTest {
protected:
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        EditorTest::TearDown();
    }

    std::string workingDirectory() const { return files()->getWorkingDirectory().c_str(); }
    io::IFileSystem* files() const { return editor.sceneManager->getFileSystem(); }
    gui::IGUIListBox* fileBox() const {
        return static_cast<gui::IGUIListBox*>(sorn::findElement(ids::SaveFileList));
    }
    gui::IGUIElement* pathEdit() const { return sorn::findElement(ids::SavePathEdit); }

    s32 entryIndex(const wchar_t* text) const {
        for (u32 i = 0; i < fileBox()->getItemCount(); ++i)
            if (core::stringw(fileBox()->getListItem(i)) == text)
                return static_cast<s32>(i);
        return -1;
    }

    // Chooses a list entry the way the user does: select it, then choose it again.
    void chooseAgain(const wchar_t* text) {
        const s32 index = entryIndex(text);
        ASSERT_GE(index, 0) << "no entry " << sorn::narrowPath(text);
        fileBox()->setSelected(index);
        postGuiEvent(gui::EGET_LISTBOX_SELECTED_AGAIN, fileBox());
    }

    // Message boxes anywhere in the GUI (a modal one sits in a modal screen).
    static void collectMessageBoxes(gui::IGUIElement* element, std::vector<gui::IGUIElement*>& found) {
        for (gui::IGUIElement* child : element->getChildren()) {
            if (child->getType() == gui::EGUIET_MESSAGE_BOX)
                found.push_back(child);
            collectMessageBoxes(child, found);
        }
    }

    // The message box with this caption and text, if one is open.
    bool messageShown(const wchar_t* caption, const wchar_t* text) const {
        std::vector<gui::IGUIElement*> boxes;
        collectMessageBoxes(gui()->getRootGUIElement(), boxes);
        for (gui::IGUIElement* box : boxes) {
            if (core::stringw(box->getText()) != caption)
                continue;
            for (gui::IGUIElement* child : box->getChildren())
                if (child->getType() == gui::EGUIET_STATIC_TEXT && core::stringw(child->getText()) == text)
                    return true;
        }
        return false;
    }

    void closeMessageBoxes() {
        std::vector<gui::IGUIElement*> boxes;
        collectMessageBoxes(gui()->getRootGUIElement(), boxes);
        for (gui::IGUIElement* box : boxes)
            box->remove();
    }

    bool windowOpen() const {
        gui::IGUIElement* window = sorn::findElement(ids::SaveWindow);
        return window && window->isVisible();
    }

    void saveAs(const core::stringw& path) {
        pathEdit()->setText(path.c_str());
        clickButton(ids::SaveButton);
    }

    // Clicks the button of the box with the caption of the key, as a user
    // would: the box reports the answer and closes.
    void answerBox(s32 boxId, const wchar_t* key) {
        gui::IGUIElement* box = sorn::findElement(boxId);
        ASSERT_NE(box, nullptr) << "no question was asked";
        gui::IGUIElement* button = nullptr;
        std::function<void(gui::IGUIElement*)> search = [&](gui::IGUIElement* e) {
            for (gui::IGUIElement* child : e->getChildren()) {
                if (child->getType() == gui::EGUIET_BUTTON && sorn::translate(key) == child->getText())
                    button = child;
                search(child);
            }
        };
        search(box);
        ASSERT_NE(button, nullptr) << "no button reads " << core::stringc(sorn::translate(key)).c_str();
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = button;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = gui::EGET_BUTTON_CLICKED;
        box->OnEvent(event);
        EXPECT_EQ(sorn::findElement(boxId), nullptr);
    }

    // The scene's user nodes as the engine reads them back from the file.
    unsigned nodesInFile(const std::string& path) {
        scene::ISceneManager* reader = smgr()->createNewSceneManager(false);
        const bool loaded = reader->loadScene(path.c_str());
        const unsigned count = loaded ? sorn::test::countUserNodes(reader->getRootSceneNode()) : 0;
        reader->drop();
        EXPECT_TRUE(loaded) << path;
        return count;
    }

    // Opens the scene as File > Open does once its dialog reports the file.
    void openScene(const std::string& path) {
        sorn::test::ChosenFileDialog dialog(gui(), ids::DialogOpenScene, sorn::widePath(path));
        postGuiEvent(gui::EGET_FILE_SELECTED, &dialog);
    }
};

TEST_F(SaveWindowTest, OpensOnTheWorkingDirectoryWithFolderAndFileIcons) {
    fs::create_directory("sub");
    sorn::test::writeFile("a.irr", "x");
    sorn::test::writeFile("sc\xC3\xA8ne.irr", "x");
    chooseMenuCommand(ids::CmdSave);
    ASSERT_TRUE(windowOpen());
    EXPECT_EQ(core::stringw(sorn::findElement(ids::SaveWindow)->getText()), sorn::translate(L"window_save_caption"));
    EXPECT_EQ(core::stringw(sorn::findElement(ids::SaveButton)->getText()), sorn::translate(L"action_save"));
    EXPECT_EQ(core::stringw(sorn::findElement(ids::SaveCancel)->getText()), sorn::translate(L"action_cancel"));
    EXPECT_EQ(core::stringw(pathEdit()->getText()), sorn::widePath(workingDirectory() + "/"));

    gui::IGUISkin* skin = gui()->getSkin();
    const s32 folderIcon = static_cast<s32>(skin->getIcon(gui::EGDI_DIRECTORY));
    const s32 fileIcon = static_cast<s32>(skin->getIcon(gui::EGDI_FILE));
    ASSERT_NE(folderIcon, fileIcon);
    struct Entry {
        const wchar_t* text;
        s32 icon;
    };
    for (const Entry& entry : {Entry{L"sub", folderIcon}, Entry{L"..", folderIcon}, Entry{L"a.irr", fileIcon},
                               Entry{L"sc\u00E8ne.irr", fileIcon}}) {
        const s32 index = entryIndex(entry.text);
        ASSERT_GE(index, 0) << sorn::narrowPath(entry.text);
        EXPECT_EQ(fileBox()->getIcon(static_cast<u32>(index)), entry.icon) << sorn::narrowPath(entry.text);
    }
}

TEST_F(SaveWindowTest, ChoosingEntriesWalksFoldersAndPicksFiles) {
    const std::string start = workingDirectory();
    fs::create_directory("d\xC3\xA9j\xC3\xA0");
    sorn::test::writeFile("d\xC3\xA9j\xC3\xA0/inside.irr", "x");
    chooseMenuCommand(ids::CmdSave);

    fileBox()->setSelected(entryIndex(L"d\u00E9j\u00E0"));
    postGuiEvent(gui::EGET_LISTBOX_CHANGED, fileBox());
    EXPECT_EQ(workingDirectory(), start) << "a single click only selects";

    chooseAgain(L"d\u00E9j\u00E0");
    EXPECT_EQ(workingDirectory(), start + "/d\xC3\xA9j\xC3\xA0");
    EXPECT_GE(entryIndex(L"inside.irr"), 0) << "the folder is listed";
    EXPECT_EQ(core::stringw(pathEdit()->getText()), sorn::widePath(start + "/d\xC3\xA9j\xC3\xA0/"));

    // A single click on a file takes its name; choosing it again keeps it.
    for (bool again : {false, true}) {
        pathEdit()->setText(L"");
        fileBox()->setSelected(entryIndex(L"inside.irr"));
        postGuiEvent(again ? gui::EGET_LISTBOX_SELECTED_AGAIN : gui::EGET_LISTBOX_CHANGED, fileBox());
        EXPECT_EQ(core::stringw(pathEdit()->getText()), sorn::widePath(start + "/d\xC3\xA9j\xC3\xA0/inside.irr"));
        EXPECT_EQ(saveWindow.fileName, "inside.irr");
    }

    chooseAgain(L"..");
    EXPECT_EQ(workingDirectory(), start);
    EXPECT_TRUE(saveWindow.fileName.empty());

    // Keeping the list: the folder changes, the entries stay.
    fileBox()->setSelected(entryIndex(L"d\u00E9j\u00E0"));
    const u32 shown = fileBox()->getItemCount();
    saveWindow.chooseEntry(true);
    EXPECT_EQ(workingDirectory(), start + "/d\xC3\xA9j\xC3\xA0");
    EXPECT_EQ(fileBox()->getItemCount(), shown);
}

TEST_F(SaveWindowTest, NameAndExtensionChecks) {
    const std::string folder = workingDirectory();
    struct Case {
        std::string path;
        const wchar_t* caption; // null: the scene is saved
        std::string text;
    };
    const Case cases[] = {
        {folder + "/", L"Invalid name", "Name is null"},
        {"", L"Invalid name", "Name is null"},
        {folder + "/level1.xml", L"Invalid extension", "Must be .irr"},
        {folder + "/level1", L"Invalid extension", "Must be .irr"},
        {folder + "/level.irr/x", L"Invalid extension", "Must be .irr"},
        {folder + "/no-such-folder/level1.irr", L"Scene not saved",
         "The scene could not be written to this file:\n" + folder + "/no-such-folder/level1.irr\nits folder does not exist. (No such file or directory)"},
        {folder + "/level1.IRR", nullptr, ""},
        {folder + "/niveau \xC3\xA9t\xC3\xA9.irr", nullptr, ""},
    };
    chooseMenuCommand(ids::CmdSave);
    for (const Case& c : cases) {
        if (!windowOpen())
            saveWindow.open(); // what the menu does; the menu is behind the modal window
        testing::internal::CaptureStdout();
        saveAs(sorn::widePath(c.path));
        const std::string trace = testing::internal::GetCapturedStdout();
        if (c.caption) {
            EXPECT_TRUE(messageShown(c.caption, sorn::widePath(c.text).c_str())) << c.path;
            EXPECT_TRUE(windowOpen()) << "stays open to correct the name: " << c.path;
            if (std::wstring(c.caption) == L"Scene not saved")
                EXPECT_EQ(trace, "Post-Traitement=\nOuverture du fichier------->Error\n") << c.path;
            else
                EXPECT_EQ(trace.find("Post-Traitement="), std::string::npos) << c.path;
        } else {
            EXPECT_TRUE(sorn::test::fileExists(c.path)) << c.path;
            EXPECT_FALSE(windowOpen()) << c.path;
            EXPECT_EQ(trace.find("Post-Traitement=\nOuverture du fichier------->OK\n"), 0u) << trace;
        }
        closeMessageBoxes();
    }
    EXPECT_FALSE(sorn::test::fileExists(folder + "/level1.xml"));
    EXPECT_FALSE(sorn::test::fileExists(folder + "/level1"));
}

TEST_F(SaveWindowTest, CancelWritesNothing) {
    chooseMenuCommand(ids::CmdSave);
    pathEdit()->setText((sorn::widePath(workingDirectory()) + L"/cancelled.irr").c_str());
    clickButton(ids::SaveCancel);
    EXPECT_FALSE(windowOpen());
    EXPECT_FALSE(sorn::test::fileExists("cancelled.irr"));
}

TEST_F(SaveWindowTest, SurvivesTheWindowBeingClosedByTheGui) {
    chooseMenuCommand(ids::CmdSave);
    sorn::findElement(ids::SaveWindow)->remove(); // the window's own close button
    EXPECT_EQ(sorn::findElement(ids::SaveWindow), nullptr);
    // The held elements are still valid objects (no use after free).
    saveWindow.chooseEntry(false);
    saveWindow.fillListBox();
    saveWindow.showChosenFile();
    saveWindow.cancel();
    chooseMenuCommand(ids::CmdSave);
    EXPECT_TRUE(windowOpen());
    saveWindow.reset();
    EXPECT_EQ(saveWindow.window, nullptr);
    EXPECT_EQ(saveWindow.fileList, nullptr);
    EXPECT_TRUE(windowOpen()) << "reset releases references, it does not close";
}

// Every attribute of every user node, as text in the "C" locale, by node path.
std::map<std::string, std::map<std::string, std::string>> snapshot(scene::ISceneNode* node,
                                                                   const std::string& prefix = "") {
    std::map<std::string, std::map<std::string, std::string>> nodes;
    for (scene::ISceneNode* child : node->getChildren()) {
        if (child->isDebugObject() || child->getType() == scene::ESNT_CAMERA ||
            child->getType() == scene::ESNT_CAMERA_MAYA || child->getType() == scene::ESNT_CAMERA_FPS)
            continue;
        const std::string path = prefix + "/" + child->getName();
        io::IAttributes* attributes = editor.sceneManager->getFileSystem()->createEmptyAttributes();
        child->serializeAttributes(attributes);
        for (u32 i = 0; i < attributes->getAttributeCount(); ++i)
            nodes[path][attributes->getAttributeName(i)] =
                core::stringc(attributes->getAttributeAsString(i)).c_str();
        attributes->drop();
        for (auto& inner : snapshot(child, path))
            nodes.insert(inner);
    }
    return nodes;
}

TEST_F(SaveWindowTest, SceneSavedWithDecimalCommasOpensUnchanged) {
    scene::ISceneManager* smgr = editor.sceneManager;
    scene::ISceneNode* cube = smgr->addCubeSceneNode(12.5f, nullptr, -1, core::vector3df(1.5f, -2.25f, 3.125f),
                                                     core::vector3df(10.5f, 20.25f, 30.f),
                                                     core::vector3df(1.5f, 2.5f, 0.5f));
    cube->setName("W\xC3\xBCrfel, 1,5");
    smgr->addSphereSceneNode(7.5f, 16, cube, -1, core::vector3df(0.25f, 0.5f, 0.75f))->setName("a,b");
    smgr->addLightSceneNode(nullptr, core::vector3df(-4.5f, 6.75f, 8.f), video::SColorf(0.5f, 0.25f, 0.75f, 1.f),
                            123.5f)->setName("Light");
    smgr->addBillboardSceneNode(nullptr, core::dimension2df(12.5f, 7.25f), core::vector3df(3.5f, 0, 0), -1,
                                video::SColor(255, 10, 20, 30), video::SColor(128, 40, 50, 60))->setName("Billboard");
    scene::IParticleSystemSceneNode* particles = smgr->addParticleSystemSceneNode(false);
    particles->setName("Particles");
    particles->setParticleSize(core::dimension2df(2.5f, 3.5f));
    smgr->addVolumeLightSceneNode(nullptr, -1, 16, 8, video::SColor(51, 0, 230, 180),
                                  video::SColor(0, 0, 0, 0), core::vector3df(1.25f, 0, 0))->setName("Volume");
    scene::IMesh* plane = smgr->addHillPlaneMesh("plane", core::dimension2df(10.5f, 10.5f),
                                                 core::dimension2du(4, 4))->getMesh(0);
    smgr->addWaterSurfaceSceneNode(plane, 2.5f, 300.5f, 10.25f)->setName("Water");
    smgr->addSkyDomeSceneNode(nullptr, 16, 8, 0.9f, 2.25f, 1000.5f)->setName("Dome");
    smgr->addEmptySceneNode()->setName("Empty, 0,5");
    const auto before = snapshot(smgr->getRootSceneNode());
    ASSERT_GE(before.size(), 9u);

    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    // The engine itself writes decimal commas in this locale...
    ASSERT_TRUE(smgr->saveScene("raw.irr"));
    const std::string raw = sorn::test::readFile("raw.irr");
    ASSERT_NE(raw.find(std::string("1\0\0\0,\0\0\0" "5\0\0\0", 12)), std::string::npos);

    // ...and the save window gives back files that read back whole.
    chooseMenuCommand(ids::CmdSave);
    const std::string path = workingDirectory() + "/Szene, gro\xC3\x9F.irr";
    testing::internal::CaptureStdout();
    saveAs(sorn::widePath(path));
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("File successfully renamed"), std::string::npos) << trace;
    std::setlocale(LC_ALL, "C");

    scene::ISceneNode* root = smgr->getRootSceneNode();
    while (!snapshot(root).empty())
        for (scene::ISceneNode* child : root->getChildren())
            if (!child->isDebugObject() && child->getType() != scene::ESNT_CAMERA_MAYA &&
                child->getType() != scene::ESNT_CAMERA_FPS && child->getType() != scene::ESNT_CAMERA) {
                child->remove();
                break;
            }
    ASSERT_TRUE(sorn::openFile(path, false));
    const auto after = snapshot(root);
    EXPECT_EQ(after.size(), before.size());
    for (const auto& node : before) {
        auto found = after.find(node.first);
        ASSERT_NE(found, after.end()) << "missing node " << node.first;
        for (const auto& attribute : node.second) {
            // The engine's water surface makes its own copy of the mesh and
            // does not give the mesh name back after loading.
            if (node.first == "/Water" && attribute.first == "Mesh")
                continue;
            EXPECT_EQ(found->second.at(attribute.first), attribute.second) << node.first << " " << attribute.first;
        }
    }
}

} // namespace

// A scene that has a file is saved there by File > Save and Ctrl+S (also
// while a field has the focus: the chord means nothing to its text), with
// no window, and nothing is left unsaved; Ctrl+S never starts scale mode.
TEST_F(SaveWindowTest, SaveWritesToTheScenesFileWithoutTheWindow) {
    const std::string path = workingDirectory() + "/level.irr";
    ASSERT_TRUE(smgr()->saveScene(path.c_str()));
    openScene(path);
    ASSERT_EQ(editor.sceneFile, fs::canonical(path).string());
    chooseMenuCommand(ids::CmdSceneBox);
    struct Case {
        const char* how;
        std::function<void()> save;
    };
    const Case cases[] = {
        {"File > Save", [&] { chooseMenuCommand(ids::CmdSave); }},
        {"Ctrl+S", [&] { EXPECT_TRUE(typeCtrlKey(KEY_KEY_S)); }},
        {"Ctrl+S in a field", [&] {
             gui()->setFocus(sorn::findElement(ids::SceneBoxFilter));
             EXPECT_TRUE(typeCtrlKey(KEY_KEY_S));
             gui()->setFocus(nullptr);
         }},
    };
    unsigned cubes = 0;
    for (const Case& c : cases) {
        chooseMenuCommand(ids::CmdAddCube);
        ++cubes;
        editor.selectedNode = *smgr()->getRootSceneNode()->getChildren().getLast();
        editor.nodeSelected = true;
        ASSERT_TRUE(sorn::undoHistory.hasUnsavedChanges());
        testing::internal::CaptureStdout();
        c.save();
        const std::string trace = testing::internal::GetCapturedStdout();
        EXPECT_NE(trace.find("File successfully renamed"), std::string::npos) << c.how;
        EXPECT_FALSE(windowOpen()) << c.how;
        EXPECT_EQ(nodesInFile(path), cubes) << c.how;
        EXPECT_FALSE(sorn::undoHistory.hasUnsavedChanges()) << c.how;
        EXPECT_EQ(editor.editMode, ids::ModeNone) << c.how << " reached the S key";
    }
}

// A save that fails says where and why, keeps the unsaved mark and the file.
TEST_F(SaveWindowTest, FailedSaveToTheScenesFileSaysWhyAndKeepsTheUnsavedMark) {
    const std::string path = workingDirectory() + "/level.irr";
    ASSERT_TRUE(smgr()->saveScene(path.c_str()));
    openScene(path);
    chooseMenuCommand(ids::CmdAddCube);
    // A folder standing where the file was cannot be replaced.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_TRUE(typeCtrlKey(KEY_KEY_S));
    const std::string text = "The scene could not be written to this file:\n" + fs::canonical(path).string() +
                             "\na folder stands in its place.";
    EXPECT_TRUE(messageShown(L"Scene not saved", sorn::widePath(text).c_str()));
    EXPECT_TRUE(sorn::undoHistory.hasUnsavedChanges());
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_FALSE(windowOpen());
}

// Save as, and the first save of a scene without a file, go through the
// window; a file that exists is replaced only once the user says so.
TEST_F(SaveWindowTest, SaveAsAsksBeforeReplacingAnExistingFile) {
    const std::string path = workingDirectory() + "/kept.irr";
    sorn::test::writeFile(path, "old");
    chooseMenuCommand(ids::CmdAddCube);
    struct Case {
        const wchar_t* answer;
        bool replaced;
    };
    const Case cases[] = {{L"action_cancel", false}, {L"action_replace", true}};
    chooseMenuCommand(ids::CmdSave);
    for (const Case& c : cases) {
        ASSERT_TRUE(windowOpen()) << "a scene without a file is saved through the window";
        saveAs(sorn::widePath(path));
        EXPECT_TRUE(messageShown(L"Replace the file?",
                                 sorn::widePath("This file exists already. Replace it with the scene?\n" + path).c_str()));
        EXPECT_EQ(sorn::test::readFile(path), "old") << "nothing is written before the answer";
        answerBox(ids::ReplaceFileBox, c.answer);
        EXPECT_EQ(sorn::test::readFile(path) != "old", c.replaced);
        EXPECT_EQ(windowOpen(), !c.replaced);
        EXPECT_EQ(sorn::undoHistory.hasUnsavedChanges(), !c.replaced);
        EXPECT_EQ(editor.sceneFile, c.replaced ? fs::canonical(path).string() : std::string());
    }
    EXPECT_EQ(nodesInFile(path), 1u);
    // Now that the scene has a file, Save as still asks where.
    chooseMenuCommand(ids::CmdSaveAs);
    EXPECT_TRUE(windowOpen());
}
