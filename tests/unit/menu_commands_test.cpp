#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "app/PathText.h"
#include "app/Platform.h"
#include "app/RecentFiles.h"
#include "app/Translate.h"
#include "app/SnapSettings.h"
#include "app/TextConvert.h"
#include "events/FileCommands.h"
#include "events/MenuCommands.h"
#include "scene/AnimationPlayback.h"
#include "scene/UndoHistory.h"
#include "scene/GridSceneNode.h"
#include "support/ChosenFileDialog.h"
#include "support/EditorFixture.h"

#include <filesystem>
#include <functional>

using namespace irr;
using sorn::editor;
using sorn::findElement;
namespace ids = sorn::ids;

namespace {

class MenuCommandsTest : public sorn::test::EditorTest {
protected:
    scene::ISceneNode* addSelectedCube() {
        scene::ISceneNode* cube = smgr()->addCubeSceneNode();
        editor.selectedNode = cube;
        editor.nodeSelected = true;
        return cube;
    }
    std::vector<bool> debugChecks() {
        std::vector<bool> checks;
        for (s32 id = ids::CmdDebugOff; id <= ids::CmdDebugAll; ++id)
            checks.push_back(isMenuItemChecked(id));
        return checks;
    }
};

TEST_F(MenuCommandsTest, CameraGroupKeepsExactlyOneCheckAndSetsTheMode) {
    struct Step {
        s32 command;
        scene::ICameraSceneNode* sorn::EditorState::*camera;
        s32 mode;
    };
    const Step steps[] = {
        {ids::CmdCameraFps, &sorn::EditorState::cameraFps, ids::ModeFirstPerson},
        {ids::CmdCameraMaya2, &sorn::EditorState::cameraMaya2, ids::ModeNone},
        {ids::CmdCameraFps, &sorn::EditorState::cameraFps, ids::ModeFirstPerson},
        {ids::CmdCameraMaya1, &sorn::EditorState::cameraMaya1, ids::ModeNone},
    };
    for (const Step& step : steps) {
        chooseMenuCommand(step.command);
        for (s32 id : {ids::CmdCameraMaya1, ids::CmdCameraMaya2, ids::CmdCameraFps})
            EXPECT_EQ(isMenuItemChecked(id), id == step.command) << std::hex << step.command << " " << id;
        EXPECT_EQ(smgr()->getActiveCamera(), editor.*step.camera);
        EXPECT_TRUE((editor.*step.camera)->isInputReceiverEnabled());
        EXPECT_EQ(editor.editMode, step.mode);
    }
}

TEST_F(MenuCommandsTest, DebugItemsToggleTheirBitTwiceAndLeaveOthers) {
    scene::ISceneNode* cube = addSelectedCube();
    cube->setDebugDataVisible(scene::EDS_SKELETON);
    const std::pair<s32, u32> items[] = {
        {ids::CmdDebugBoundingBox, scene::EDS_BBOX},      {ids::CmdDebugNormals, scene::EDS_NORMALS},
        {ids::CmdDebugSkeleton, scene::EDS_SKELETON},      {ids::CmdDebugWireOverlay, scene::EDS_MESH_WIRE_OVERLAY},
        {ids::CmdDebugHalfTransparent, scene::EDS_HALF_TRANSPARENCY}, {ids::CmdDebugBufferBoxes, scene::EDS_BBOX_BUFFERS},
    };
    for (const auto& item : items) {
        u32 before = cube->isDebugDataVisible();
        bool checkedBefore = isMenuItemChecked(item.first);
        chooseMenuCommand(item.first);
        EXPECT_EQ(cube->isDebugDataVisible(), before ^ item.second);
        EXPECT_NE(isMenuItemChecked(item.first), checkedBefore);
        chooseMenuCommand(item.first);
        EXPECT_EQ(cube->isDebugDataVisible(), before);
        EXPECT_EQ(isMenuItemChecked(item.first), checkedBefore);
    }
}

TEST_F(MenuCommandsTest, DebugAllThenOffSetsAndClearsTheSixChecks) {
    scene::ISceneNode* cube = addSelectedCube();
    chooseMenuCommand(ids::CmdDebugAll);
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_FULL));
    EXPECT_EQ(debugChecks(), (std::vector<bool>{false, true, true, true, true, true, true, false}));
    chooseMenuCommand(ids::CmdDebugOff);
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_OFF));
    EXPECT_EQ(debugChecks(), std::vector<bool>(8, false));
}

TEST_F(MenuCommandsTest, DebugOffClearsChecksEvenWithoutSelection) {
    chooseMenuCommand(ids::CmdDebugNormals);
    EXPECT_TRUE(isMenuItemChecked(ids::CmdDebugNormals));
    chooseMenuCommand(ids::CmdDebugOff);
    EXPECT_EQ(debugChecks(), std::vector<bool>(8, false));
}

TEST_F(MenuCommandsTest, EverySkyFollowsTheSkyCheckMark) {
    chooseMenuCommand(ids::CmdSkyVisible);
    EXPECT_FALSE(isMenuItemChecked(ids::CmdSkyVisible));
    chooseMenuCommand(ids::CmdSkyVisible);
    EXPECT_TRUE(isMenuItemChecked(ids::CmdSkyVisible));

    scene::ISceneNode* box = smgr()->addSkyBoxSceneNode(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    scene::ISceneNode* dome = smgr()->addSkyDomeSceneNode(nullptr);
    dome->setVisible(false);
    // A sky nested under another node (as an opened scene may have it).
    scene::ISceneNode* holder = smgr()->addEmptySceneNode();
    scene::ISceneNode* nestedDome = smgr()->addSkyDomeSceneNode(nullptr, 8, 4, 0.9f, 2.f, 100.f, holder);
    scene::ISceneNode* defaultSky = smgr()->getSceneNodeFromName("Sorn::SkyBox");
    ASSERT_NE(defaultSky, nullptr);

    chooseMenuCommand(ids::CmdSkyVisible);
    EXPECT_FALSE(isMenuItemChecked(ids::CmdSkyVisible));
    EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(dome->isVisible()) << "a sky that was already hidden stays hidden";
    EXPECT_FALSE(nestedDome->isVisible());
    EXPECT_TRUE(holder->isVisible()) << "only skies change";
    EXPECT_TRUE(defaultSky->isVisible()) << "the editor's own sky stays";

    chooseMenuCommand(ids::CmdSkyVisible);
    EXPECT_TRUE(isMenuItemChecked(ids::CmdSkyVisible));
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(dome->isVisible()) << "skies that differed agree with the check mark again";
    EXPECT_TRUE(nestedDome->isVisible());
    EXPECT_TRUE(defaultSky->isVisible());
}

TEST_F(MenuCommandsTest, SkyAddedWhileUncheckedStaysHiddenUntilTheNextToggleShowsIt) {
    chooseMenuCommand(ids::CmdSkyVisible);
    ASSERT_FALSE(isMenuItemChecked(ids::CmdSkyVisible));
    for (s32 command : {ids::CmdAddSkyBox, ids::CmdAddSkyDome}) {
        chooseMenuCommand(command);
        scene::ISceneNode* sky = nullptr;
        for (scene::ISceneNode* child : smgr()->getRootSceneNode()->getChildren())
            if (!child->isDebugObject() && (child->getType() == scene::ESNT_SKY_BOX ||
                                            child->getType() == scene::ESNT_SKY_DOME))
                sky = child;
        ASSERT_NE(sky, nullptr) << command;
        EXPECT_FALSE(sky->isVisible()) << command;
        chooseMenuCommand(ids::CmdSkyVisible);
        EXPECT_TRUE(sky->isVisible()) << command;
        chooseMenuCommand(ids::CmdSkyVisible);
        EXPECT_FALSE(sky->isVisible()) << command;
        sky->remove();
    }
}

TEST_F(MenuCommandsTest, GridToggleHidesAndShowsTheGrid) {
    ASSERT_NE(editor.gridNode, nullptr);
    chooseMenuCommand(ids::CmdGridVisible);
    EXPECT_FALSE(editor.gridNode->isVisible());
    EXPECT_FALSE(isMenuItemChecked(ids::CmdGridVisible));
    chooseMenuCommand(ids::CmdGridVisible);
    EXPECT_TRUE(editor.gridNode->isVisible());
    EXPECT_TRUE(isMenuItemChecked(ids::CmdGridVisible));
}

TEST_F(MenuCommandsTest, NewSceneKeepsTheEditorsNodesAndRemovesTheRestOnTheNextDraw) {
    std::vector<scene::ISceneNode*> editorNodes;
    for (scene::ISceneNode* child : smgr()->getRootSceneNode()->getChildren())
        editorNodes.push_back(child);
    addSelectedCube();
    smgr()->addLightSceneNode();
    editor.gridNode->setGridsSize(core::dimension2df(50, 50));

    chooseMenuCommand(ids::CmdNewScene);
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_TRUE(editor.sceneViewRefresh.pending);
    EXPECT_TRUE(editor.nameIndexRefresh.pending);
    activePasses(1);
    std::vector<scene::ISceneNode*> remaining;
    for (scene::ISceneNode* child : smgr()->getRootSceneNode()->getChildren())
        remaining.push_back(child);
    EXPECT_EQ(remaining, editorNodes);
    EXPECT_EQ(editor.gridNode->getGridsSize(), core::dimension2df(2000, 2000));
}

// The animation item says what choosing it does, in the user's language;
// playing is no change of the scene, and a new scene starts stopped.
struct AnimationCaptions {
    const char* language;
    const wchar_t* play;
    const wchar_t* stop;
};

class AnimationItemTest : public sorn::test::EditorTest, public testing::WithParamInterface<AnimationCaptions> {
protected:
    AnimationItemTest() {
        startInSetUp = false;
        configText = std::string("<?xml version=\"1.0\"?><config><prog><setting name=\"language\" value=\"") +
                     GetParam().language + "\"/></prog></config>";
    }
};

TEST_P(AnimationItemTest, CaptionSaysWhatItDoesAndPlayingLeavesNothingToSave) {
    start();
    scene::ISceneNode* cube = smgr()->addCubeSceneNode();
    cube->addAnimator(smgr()->createRotationAnimator(core::vector3df(0, 1, 0)));
    (*cube->getAnimators().begin())->drop();
    sorn::holdSceneAnimators();
    s32 index = -1;
    gui::IGUIContextMenu* menu = menuHolding(ids::CmdPlayAnimation, &index);
    ASSERT_NE(menu, nullptr);
    for (bool playing : {false, true, false}) {
        EXPECT_EQ(sorn::animationPlaying(), playing);
        EXPECT_EQ(core::stringw(menu->getItemText(index)), core::stringw(playing ? GetParam().stop : GetParam().play));
        EXPECT_FALSE(sorn::undoHistory.canUndo() || sorn::undoHistory.hasUnsavedChanges());
        chooseMenuCommand(ids::CmdPlayAnimation);
    }
    chooseMenuCommand(ids::CmdNewScene);
    EXPECT_FALSE(sorn::animationPlaying());
    EXPECT_EQ(core::stringw(menu->getItemText(index)), core::stringw(GetParam().play));
    EXPECT_EQ(sorn::heldAnimatorCount(cube), 0u) << "nothing held from the scene before";
}

INSTANTIATE_TEST_SUITE_P(Languages, AnimationItemTest,
                         testing::Values(AnimationCaptions{"en", L"Play animation", L"Stop animation"},
                                         AnimationCaptions{"fr", L"Lire l'animation", L"Arr\u00eater l'animation"}));

// ---- Snapping and framing ----------------------------------------------------------

bool modalWindowOpen() {
    for (gui::IGUIElement* child : editor.device->getGUIEnvironment()->getRootGUIElement()->getChildren())
        if (child->getType() == gui::EGUIET_MODAL_SCREEN)
            return true;
    return false;
}

TEST_F(MenuCommandsTest, TheSnapEntryAndButtonSwitchSnappingTogetherAndTheSettingIsSaved) {
    auto* button = static_cast<gui::IGUIButton*>(findElement(ids::ButtonSnap));
    bool on = false;
    for (bool byMenu : {true, true, false, true, false, false}) {
        byMenu ? chooseMenuCommand(ids::CmdSnap) : (void)clickButton(ids::ButtonSnap);
        on = !on;
        EXPECT_EQ(editor.snapOn, on);
        EXPECT_EQ(isMenuItemChecked(ids::CmdSnap), on);
        EXPECT_EQ(button->isPressed(), on);
        sorn::ConfigFile saved;
        saved.fileName = editor.config.fileName;
        ASSERT_TRUE(saved.load());
        EXPECT_EQ(saved.get(L"snap_on"), core::stringw(on ? L"1" : L"0"));
    }
    EXPECT_FALSE(modalWindowOpen());
    EXPECT_FALSE(sorn::undoHistory.canUndo() || sorn::undoHistory.hasUnsavedChanges()) << "no change of the scene";
    // A settings file that cannot be written: the user is told, snapping switches all the same.
    editor.config.fileName = sorn::widePath(appFolder.file("gone/config.xml"));
    chooseMenuCommand(ids::CmdSnap);
    EXPECT_TRUE(editor.snapOn && isMenuItemChecked(ids::CmdSnap));
    EXPECT_TRUE(modalWindowOpen());
}

TEST_F(MenuCommandsTest, FrameSelectionEntryTargetsTheSelectedNode) {
    scene::ISceneNode* cube = addSelectedCube();
    cube->setPosition(core::vector3df(-120.f, 40.f, 75.f));
    chooseMenuCommand(ids::CmdFrameSelection);
    EXPECT_TRUE(editor.cameraMaya1->getTarget().equals(core::vector3df(-120.f, 40.f, 75.f), 0.01f));
}

struct SnapSettingsCase {
    const char* settings; // <setting> elements of config.xml
    bool on;
    f32 position, rotation, scale; // position 0: the grid spacing
};

class SnapSettingsTest : public sorn::test::EditorTest, public testing::WithParamInterface<SnapSettingsCase> {
protected:
    SnapSettingsTest() {
        startInSetUp = false;
        configText = std::string("<?xml version=\"1.0\"?><config><prog>") + GetParam().settings + "</prog></config>";
    }
};

TEST_P(SnapSettingsTest, SettingsAreReadAtStartAndUnusableOnesGiveTheDefaults) {
    start();
    const SnapSettingsCase& c = GetParam();
    EXPECT_EQ(editor.snapOn, c.on);
    EXPECT_EQ(isMenuItemChecked(ids::CmdSnap), c.on);
    EXPECT_EQ(static_cast<gui::IGUIButton*>(findElement(ids::ButtonSnap))->isPressed(), c.on);
    EXPECT_FLOAT_EQ(editor.snapRotation, c.rotation);
    EXPECT_FLOAT_EQ(editor.snapScale, c.scale);
    editor.gridSpacing = 40.f; // as the scene tab's grid row sets it
    EXPECT_FLOAT_EQ(sorn::snapPositionStep(), c.position > 0.f ? c.position : 40.f);
}

#define SNAP_SETTINGS(on, position, rotation, scale)                                                          \
    "<setting name=\"snap_on\" value=\"" on "\"/><setting name=\"snap_position\" value=\"" position "\"/>" \
    "<setting name=\"snap_rotation\" value=\"" rotation "\"/><setting name=\"snap_scale\" value=\"" scale "\"/>"

INSTANTIATE_TEST_SUITE_P(
    Files, SnapSettingsTest,
    testing::Values(SnapSettingsCase{"", false, 0.f, 15.f, 0.1f},
                    SnapSettingsCase{SNAP_SETTINGS("1", "2.5", "45", "0.25"), true, 2.5f, 45.f, 0.25f},
                    SnapSettingsCase{SNAP_SETTINGS("0", "-3", "abc", "0"), false, 0.f, 15.f, 0.1f},
                    SnapSettingsCase{SNAP_SETTINGS("yes", "1e99", "15 degrees", "nan"), false, 0.f, 15.f, 0.1f}));

TEST_F(MenuCommandsTest, QuitClosesTheDevice) {
    chooseMenuCommand(ids::CmdQuit);
    EXPECT_FALSE(editor.device->run());
}

TEST_F(MenuCommandsTest, WindowItemsOpenAndCloseTheirWindows) {
    chooseMenuCommand(ids::CmdSceneBox);
    EXPECT_TRUE(isMenuItemChecked(ids::CmdSceneBox));
    EXPECT_NE(findElement(ids::SceneBoxWindow), nullptr);
    chooseMenuCommand(ids::CmdSceneBox);
    EXPECT_FALSE(isMenuItemChecked(ids::CmdSceneBox));
    EXPECT_EQ(findElement(ids::SceneBoxWindow), nullptr);

    chooseMenuCommand(ids::CmdToolBox);
    EXPECT_TRUE(isMenuItemChecked(ids::CmdToolBox));
    EXPECT_NE(findElement(ids::ToolBoxWindow), nullptr);
    chooseMenuCommand(ids::CmdToolBox);
    EXPECT_FALSE(isMenuItemChecked(ids::CmdToolBox));
    EXPECT_EQ(findElement(ids::ToolBoxWindow), nullptr);
}

TEST_F(MenuCommandsTest, DialogCommandsOpenModalFileDialogsWithTheirIds) {
    const std::pair<s32, s32> dialogs[] = {
        {ids::CmdOpenScene, ids::DialogOpenScene},
        {ids::CmdAddModel, ids::DialogAddStaticMesh},
        {ids::CmdAddAnimatedModel, ids::DialogAddAnimatedMesh},
    };
    for (const auto& dialog : dialogs) {
        chooseMenuCommand(dialog.first);
        gui::IGUIElement* opened = findElement(dialog.second);
        ASSERT_NE(opened, nullptr) << std::hex << dialog.first;
        EXPECT_EQ(opened->getType(), gui::EGUIET_FILE_OPEN_DIALOG);
        EXPECT_EQ(opened->getParent()->getType(), gui::EGUIET_MODAL_SCREEN);
        opened->getParent()->remove();
    }
}

TEST_F(MenuCommandsTest, SmallWindowCommandsOpenTheirWindows) {
    chooseMenuCommand(ids::CmdSettings);
    EXPECT_NE(findElement(ids::SettingsWindow), nullptr);
    chooseMenuCommand(ids::CmdSave);
    ASSERT_NE(findElement(ids::SaveWindow), nullptr);
    // The save window is modal: close it before the menu can be reached again.
    clickButton(ids::SaveCancel);
    chooseMenuCommand(ids::CmdAbout);
    EXPECT_NE(findElement(ids::AboutWindow), nullptr);
}

// The items that step through the history: each undoes or redoes one step,
// and the node a step added leaves and comes back with it.
TEST_F(MenuCommandsTest, UndoAndRedoItemsStepThroughTheHistory) {
    chooseMenuCommand(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdAddSphere);
    ASSERT_TRUE(sorn::undoHistory.canUndo());
    struct Step {
        s32 command;
        bool canUndo, canRedo;
        scene::ESCENE_NODE_TYPE lastType;
    };
    const Step steps[] = {
        {ids::CmdUndo, true, true, scene::ESNT_CUBE},
        {ids::CmdUndo, false, true, scene::ESNT_UNKNOWN},
        {ids::CmdRedo, true, true, scene::ESNT_CUBE},
        {ids::CmdRedo, true, false, scene::ESNT_SPHERE},
    };
    for (const Step& step : steps) {
        chooseMenuCommand(step.command);
        SCOPED_TRACE(step.command == ids::CmdUndo ? "undo" : "redo");
        EXPECT_EQ(sorn::undoHistory.canUndo(), step.canUndo);
        EXPECT_EQ(sorn::undoHistory.canRedo(), step.canRedo);
        scene::ESCENE_NODE_TYPE lastType = scene::ESNT_UNKNOWN;
        for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
            if (node->getType() == scene::ESNT_CUBE || node->getType() == scene::ESNT_SPHERE)
                lastType = node->getType();
        EXPECT_EQ(lastType, step.lastType);
    }
}

// ---- The File menu: recent scenes and the File chords ----

class FileMenuTest : public MenuCommandsTest {
protected:
    // A scene file (the editor's scene as the engine writes it) in the app folder.
    std::string sceneFile(const std::string& name) {
        const std::string path = appFolder.file(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_TRUE(smgr()->saveScene(path.c_str())) << path;
        return std::filesystem::canonical(path).string();
    }
    void openScene(const std::string& path) {
        sorn::test::ChosenFileDialog dialog(gui(), ids::DialogOpenScene, sorn::widePath(path));
        postGuiEvent(gui::EGET_FILE_SELECTED, &dialog);
    }
    // The captions of File > Recent, in menu order.
    std::vector<std::wstring> recentCaptions() {
        s32 index = -1;
        gui::IGUIContextMenu* file = menuHolding(ids::CmdRecentMenu, &index);
        gui::IGUIContextMenu* recent = file ? file->getSubMenu(index) : nullptr;
        std::vector<std::wstring> captions;
        for (u32 i = 0; recent && i < recent->getItemCount(); ++i)
            captions.push_back(recent->getItemText(i));
        return captions;
    }
    static std::wstring caption(int number, const std::string& path) {
        return std::to_wstring(number) + L"  " + sorn::widePath(path).c_str();
    }
    bool messageShownWithText(const std::wstring& text) {
        std::function<bool(gui::IGUIElement*)> search = [&](gui::IGUIElement* e) {
            for (gui::IGUIElement* child : e->getChildren())
                if ((child->getType() == gui::EGUIET_STATIC_TEXT && text == child->getText()) || search(child))
                    return true;
            return false;
        };
        return search(gui()->getRootGUIElement());
    }
};

// Scenes opened or saved are listed newest first, one entry per file however
// it was named, at most eight, in config.xml and in File > Recent.
TEST_F(FileMenuTest, RecentListKeepsTheEightNewestFirstWithoutDuplicates) {
    EXPECT_EQ(recentCaptions(), std::vector<std::wstring>{sorn::translate(L"menu_recent_none").c_str()});
    std::vector<std::string> files;
    for (int i = 0; i < 10; ++i)
        files.push_back(sceneFile("scenes/s" + std::to_string(i) + ".irr"));
    struct Step {
        std::string open;               // the name the file is opened by
        std::vector<int> expected;      // the list afterwards, by file number
    };
    const std::string folder = appFolder.file("scenes");
    const Step steps[] = {
        {files[0], {0}},
        {files[1], {1, 0}},
        {folder + "/../scenes/./s0.irr", {0, 1}},   // another name of s0: moved up, not added
        {files[2], {2, 0, 1}},
        {files[3], {3, 2, 0, 1}}, {files[4], {4, 3, 2, 0, 1}}, {files[5], {5, 4, 3, 2, 0, 1}},
        {files[6], {6, 5, 4, 3, 2, 0, 1}}, {files[7], {7, 6, 5, 4, 3, 2, 0, 1}},
        {files[8], {8, 7, 6, 5, 4, 3, 2, 0}},        // the ninth pushes the oldest out
        {files[1], {1, 8, 7, 6, 5, 4, 3, 2}},
    };
    for (const Step& step : steps) {
        openScene(step.open);
        std::vector<std::string> expected;
        std::vector<std::wstring> captions;
        for (int number : step.expected) {
            expected.push_back(files[static_cast<size_t>(number)]);
            captions.push_back(caption(static_cast<int>(captions.size()) + 1, expected.back()));
        }
        EXPECT_EQ(sorn::recentSceneFiles(), expected) << step.open;
        EXPECT_EQ(recentCaptions(), captions) << step.open;
        // What config.xml holds on disk gives the same list.
        sorn::ConfigFile reread;
        reread.fileName = editor.config.fileName;
        ASSERT_TRUE(reread.load());
        for (size_t i = 0; i < 8; ++i)
            EXPECT_EQ(reread.get(core::stringw(L"recent_") + core::stringw(static_cast<s32>(i))),
                      i < expected.size() ? sorn::widePath(expected[i]) : core::stringw(L"XXX"));
    }
    // A model opened in place of the scene is no scene: the list stays.
    const std::vector<std::string> before = sorn::recentSceneFiles();
    sorn::rememberRecentSceneFile("");
    EXPECT_EQ(sorn::recentSceneFiles(), before);
}

// Choosing an entry opens that scene (asking first about unsaved work); an
// entry whose file has gone is taken off with a message naming it.
TEST_F(FileMenuTest, RecentEntryOpensItsSceneAndAMissingOneIsRemoved) {
    const std::string first = sceneFile("first.irr");
    const std::string second = sceneFile("second.irr");
    openScene(first);
    openScene(second);
    chooseMenuCommand(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdRecentFirst + 1); // first.irr, the older
    ASSERT_NE(findElement(ids::UnsavedChangesBox), nullptr) << "unsaved work is asked about first";
    postGuiEvent(gui::EGET_MESSAGEBOX_NO, findElement(ids::UnsavedChangesBox));
    findElement(ids::UnsavedChangesBox)->remove();
    EXPECT_EQ(editor.sceneFile, first);
    EXPECT_EQ(sorn::recentSceneFiles(), (std::vector<std::string>{first, second}));

    std::filesystem::remove(second);
    chooseMenuCommand(ids::CmdRecentFirst + 1);
    EXPECT_TRUE(messageShownWithText(sorn::translate(L"window_recent_missing_text").c_str() + std::wstring(L"\n") +
                                     sorn::widePath(second).c_str()));
    EXPECT_EQ(editor.sceneFile, first) << "the scene stays";
    EXPECT_EQ(sorn::recentSceneFiles(), std::vector<std::string>{first});
    EXPECT_EQ(recentCaptions(), std::vector<std::wstring>{caption(1, first)});
}

// config.xml is wide text written by the engine: a UTF-8 file name, and one
// with the characters XML escapes, come back unchanged after a reload.
TEST_F(FileMenuTest, RecentListSurvivesAConfigReloadWithAUtf8Path) {
    const std::string names[] = {"niveau \xC3\xA9t\xC3\xA9 \xE2\x82\xAC.irr", "R&D <\"1\">.irr", "plain.irr"};
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        const std::string path = sceneFile(name);
        sorn::rememberRecentSceneFile(path);
        expected.insert(expected.begin(), path);
    }
    editor.config.settings.clear();
    ASSERT_TRUE(editor.config.load());
    EXPECT_EQ(sorn::recentSceneFiles(), expected);
    sorn::showRecentSceneFiles();
    EXPECT_EQ(recentCaptions().front(), caption(1, expected.front()));
}

// The File chords run their commands when the key goes down, also with
// Control let go before the key; the letters' own commands never see them.
TEST_F(FileMenuTest, FileChordsRunTheFileCommands) {
    struct Case {
        EKEY_CODE key;
        bool shift;
        bool chord;
        s32 opens; // the element the chord shows; 0: none
    };
    const Case cases[] = {
        {KEY_KEY_S, false, true, ids::SaveWindow}, // no file yet: the save window
        {KEY_KEY_S, true, true, ids::SaveWindow},  // save as
        {KEY_KEY_O, false, true, ids::DialogOpenScene},
        {KEY_KEY_O, true, false, 0},               // Ctrl+Shift+O is no chord
        {KEY_KEY_N, false, true, 0},               // nothing unsaved: a new scene at once
    };
    addSelectedCube();
    for (const Case& c : cases) {
        SEvent event = sorn::test::keyEvent(c.key, true);
        event.KeyInput.Control = true;
        event.KeyInput.Shift = c.shift;
        EXPECT_EQ(editor.device->postEventFromUser(event), c.chord) << c.key;
        event.KeyInput.PressedDown = false;
        event.KeyInput.Control = false;
        EXPECT_EQ(editor.device->postEventFromUser(event), c.chord) << "the release is taken: " << c.key;
        EXPECT_EQ(editor.editMode, ids::ModeNone) << c.key;
        if (!c.opens)
            continue;
        gui::IGUIElement* opened = findElement(c.opens);
        ASSERT_NE(opened, nullptr) << c.key;
        opened->getParent()->getType() == gui::EGUIET_MODAL_SCREEN ? opened->getParent()->remove() : opened->remove();
    }
    EXPECT_EQ(editor.selectedNode, nullptr) << "Ctrl+N started a new scene";
}

// The caption names the scene's file and shows "*" while work is unsaved;
// it is written again only when one of them changed.
TEST_F(FileMenuTest, CaptionNamesTheFileAndMarksUnsavedWork) {
    const std::string title = sorn::narrowPath(editor.windowTitle);
    const std::string file = sceneFile("level \xC3\xA9.irr");
    struct Step {
        std::function<void()> action;
        std::string caption;
    };
    const Step steps[] = {
        {[] {}, title},
        {[&] { chooseMenuCommand(ids::CmdAddCube); }, "*" + title},
        {[&] { openScene(file); }, "level \xC3\xA9.irr - " + title},
        {[&] { chooseMenuCommand(ids::CmdAddCube); }, "*level \xC3\xA9.irr - " + title},
        {[&] { chooseMenuCommand(ids::CmdUndo); }, "level \xC3\xA9.irr - " + title},
        {[&] { chooseMenuCommand(ids::CmdRedo); }, "*level \xC3\xA9.irr - " + title},
        {[&] { chooseMenuCommand(ids::CmdSave); }, "level \xC3\xA9.irr - " + title},
        {[&] { chooseMenuCommand(ids::CmdNewScene); }, title},
    };
    for (const Step& step : steps) {
        step.action();
        activePasses(1);
        EXPECT_EQ(editor.caption, sorn::widePath(step.caption)) << step.caption;
        // A pass with nothing changed does not write the caption again.
        editor.caption = L"unchanged";
        activePasses(1);
        EXPECT_EQ(editor.caption, core::stringw(L"unchanged")) << "rewritten without a change: " << step.caption;
    }
    EXPECT_EQ(sorn::sceneCaption("/a/b.irr", true, L"T"), core::stringw(L"*b.irr - T"));
    EXPECT_EQ(sorn::sceneCaption("", false, L"T"), core::stringw(L"T"));
}

class HelpPageTest : public MenuCommandsTest {
protected:
    void SetUp() override {
        MenuCommandsTest::SetUp();
        recorder = appFolder.file("record-args.sh");
        record = appFolder.file("args.txt");
        sorn::test::writeFile(recorder, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + record + ".tmp\"\nmv \"" +
                                            record + ".tmp\" \"" + record + "\"\n");
        chmod(recorder.c_str(), 0755);
        sorn::platform::setBrowserCommand(recorder);
    }
    void TearDown() override {
        sorn::platform::setBrowserCommand("xdg-open");
        MenuCommandsTest::TearDown();
    }
    std::string waitForRecord() {
        for (int i = 0; i < 200 && !sorn::test::fileExists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return sorn::test::readFile(record);
    }
    std::string recorder, record;
};

TEST_F(HelpPageTest, OpensTheProgramsPageAsOneArgumentWhateverTheWorkingDirectory) {
    editor.config.set(L"langage", L"fr");
    editor.device->getFileSystem()->changeWorkingDirectoryTo("/");
    chooseMenuCommand(ids::CmdHelp);
    EXPECT_EQ(waitForRecord(), "1\n" + sorn::narrowPath(editor.appDirectory) + "/doc/fr.html\n");
}

TEST_F(HelpPageTest, ShellCharactersInThePathStayText) {
    editor.config.set(L"langage", L"en; touch pwned; 'x' $(id)");
    chooseMenuCommand(ids::CmdHelp);
    std::string args = waitForRecord();
    EXPECT_EQ(args, "1\n" + sorn::narrowPath(editor.appDirectory) + "/doc/en; touch pwned; 'x' $(id).html\n");
    EXPECT_FALSE(sorn::test::fileExists(appFolder.file("pwned")));
}

// Without a browser (no opener, or one that fails later) the page's full
// path is shown, and the frame loop never waits for the opener.
TEST_F(HelpPageTest, WithoutABrowserTheHelpFilesPathIsShown) {
    const std::string failing = appFolder.file("failing-opener.sh");
    sorn::test::writeFile(failing, "#!/bin/sh\nexit 3\n");
    chmod(failing.c_str(), 0755);
    struct Case {
        std::string opener;
        bool told;
    };
    const Case cases[] = {{appFolder.file("no-such-opener"), true}, {failing, true}, {recorder, false}};
    for (const Case& c : cases) {
        sorn::platform::setBrowserCommand(c.opener);
        closeMessageBoxes();
        chooseMenuCommand(ids::CmdHelp);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (sorn::platform::browserOutcome() == sorn::platform::BrowserOutcome::Running &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        activePasses(1);
        const std::vector<std::wstring> shown = messageBoxes();
        ASSERT_EQ(shown.size(), c.told ? 1u : 0u) << c.opener;
        if (c.told) {
            EXPECT_NE(shown[0].find(sorn::translate(L"message_help_no_browser").c_str()), std::wstring::npos);
            EXPECT_NE(shown[0].find(sorn::helpPagePath().c_str()), std::wstring::npos) << "the full path";
        }
    }
}

TEST_F(HelpPageTest, MissingSettingAsksForTheXXXPage) {
    editor.config.settings.erase(L"langage");
    EXPECT_EQ(sorn::helpPagePath(), editor.appDirectory + L"/doc/XXX.html");
}

} // namespace
