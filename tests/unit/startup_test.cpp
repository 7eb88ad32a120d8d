#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>

#include "app/NodeIndex.h"
#include "startup/Startup.h"
#include "app/Translate.h"
#include "events/MenuCommands.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;
namespace ids = sorn::ids;

namespace {

class StartupTest : public sorn::test::EditorTest {};

TEST_F(StartupTest, CaptionNamesTheDriver) {
    core::stringw expected = L"Sorn Editor 0.3 Beta - [";
    expected += editor.device->getVideoDriver()->getName();
    expected += L"]";
    EXPECT_EQ(editor.windowTitle, expected);
}

TEST_F(StartupTest, ProgramFolderAndLanguageComeFromTheWorkingDirectoryAtStart) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(editor.appDirectory, core::stringw(cwd));
    // A runtime folder keeps its settings beside the data, with no other defaults.
    EXPECT_EQ(editor.config.fileName, core::stringw(cwd) + L"/config.xml");
    EXPECT_TRUE(editor.config.defaultsFileName.empty());
    EXPECT_EQ(editor.config.get(L"language"), core::stringw(L"en"));
    EXPECT_EQ(sorn::translate(L"menu_file"), core::stringw(L"File"));
}

struct CameraExpectation {
    scene::ICameraSceneNode* sorn::EditorState::*camera;
    const char* name;
    f32 farValue;
    scene::ESCENE_NODE_ANIMATOR_TYPE animator;
};

TEST_F(StartupTest, ThreeEditorCamerasAreDebugObjectsWithTheirFarValues) {
    const CameraExpectation cameras[] = {
        {&sorn::EditorState::cameraMaya1, "Sorn::CameraMaya1", 20000.f, scene::ESNAT_CAMERA_MAYA},
        {&sorn::EditorState::cameraMaya2, "Sorn::CameraMaya2", 80000.f, scene::ESNAT_CAMERA_MAYA},
        {&sorn::EditorState::cameraFps, "Sorn::CameraFPS", 20000.f, scene::ESNAT_CAMERA_FPS},
    };
    for (const CameraExpectation& expected : cameras) {
        scene::ICameraSceneNode* camera = editor.*expected.camera;
        ASSERT_NE(camera, nullptr) << expected.name;
        EXPECT_STREQ(camera->getName(), expected.name);
        EXPECT_TRUE(camera->isDebugObject());
        EXPECT_FLOAT_EQ(camera->getFarValue(), expected.farValue);
        ASSERT_EQ(camera->getAnimators().size(), 1u);
        EXPECT_EQ((*camera->getAnimators().begin())->getType(), expected.animator);
        EXPECT_EQ(camera->getTarget(), core::vector3df(0, 30, 0));
    }
    EXPECT_EQ(smgr()->getActiveCamera(), editor.cameraMaya1);
    EXPECT_TRUE(editor.cameraMaya1->isInputReceiverEnabled());
    EXPECT_FALSE(editor.cameraFps->isInputReceiverEnabled());
    EXPECT_EQ(editor.cameraFps->getPosition(), core::vector3df(0, 0, -70));
    EXPECT_EQ(editor.editMode, ids::ModeNone);
    EXPECT_EQ(editor.rootNode, smgr()->getRootSceneNode());
}

TEST_F(StartupTest, ExactlyThreeMenuEntriesStartChecked) {
    std::set<s32> checked;
    std::function<void(gui::IGUIContextMenu*)> walk = [&](gui::IGUIContextMenu* menu) {
        for (u32 i = 0; menu && i < menu->getItemCount(); ++i) {
            if (menu->isItemChecked(i))
                checked.insert(menu->getItemCommandId(i));
            walk(menu->getSubMenu(i));
        }
    };
    walk(static_cast<gui::IGUIContextMenu*>(sorn::findElement(ids::MenuBar)));
    EXPECT_EQ(checked, (std::set<s32>{ids::CmdSkyVisible, ids::CmdGridVisible, ids::CmdCameraMaya1}));
}

struct MenuItemExpectation {
    s32 commandId;
    const wchar_t* caption;
    s32 position;
    bool hasSubMenu;
};

TEST_F(StartupTest, MenuEntriesHaveTheirIdsPositionsAndTranslatedCaptions) {
    const MenuItemExpectation items[] = {
        {ids::CmdNewScene, L"New scene (Ctrl+N)", 0, false},
        {ids::CmdOpenScene, L"Open scene... (Ctrl+O)", 1, false},
        {ids::CmdSave, L"Save (Ctrl+S)", 3, false},
        {ids::CmdSaveAs, L"Save as... (Ctrl+Shift+S)", 4, false},
        {ids::CmdRecentMenu, L"Recent scenes", 6, true},
        {ids::CmdQuit, L"Quit", 8, false},
        {ids::CmdWindowMenu, nullptr, 0, true},         {ids::CmdToolBox, nullptr, 0, false},
        {ids::CmdSceneBox, nullptr, 1, false},          {ids::CmdSkyVisible, nullptr, 1, false},
        {ids::CmdGridVisible, nullptr, 2, false},       {ids::CmdDebugMenu, nullptr, 3, true},
        {ids::CmdDebugOff, nullptr, 0, false},          {ids::CmdDebugBufferBoxes, nullptr, 6, false},
        {ids::CmdDebugAll, nullptr, 7, false},          {ids::CmdAddMenu, nullptr, 0, true},
        {ids::CmdAddModel, nullptr, 0, false},          {ids::CmdAddAnimatedModel, nullptr, 1, false},
        {ids::CmdAddPlane, nullptr, 3, false},          {ids::CmdAddWaterSurface, nullptr, 15, false},
        {ids::CmdCameraMaya1, nullptr, 0, false},       {ids::CmdCameraFps, nullptr, 2, false},
        {ids::CmdSettings, nullptr, 0, false},          {ids::CmdHelp, nullptr, 0, false},
        {ids::CmdAbout, nullptr, 1, false},             {ids::CmdPlayAnimation, L"Play animation", 5, false},
        {ids::CmdSnap, L"Snap", 7, false},              {ids::CmdFrameSelection, L"Frame selection (F)", 8, false},
    };
    for (const MenuItemExpectation& item : items) {
        s32 index = -1;
        gui::IGUIContextMenu* menu = menuHolding(item.commandId, &index);
        ASSERT_NE(menu, nullptr) << std::hex << item.commandId;
        EXPECT_EQ(index, item.position) << std::hex << item.commandId;
        EXPECT_EQ(menu->getSubMenu(index) != nullptr, item.hasSubMenu) << std::hex << item.commandId;
        EXPECT_FALSE(menu->getItemAutoChecking(index));
        core::stringw caption = menu->getItemText(index);
        EXPECT_NE(caption, core::stringw(L"___")) << std::hex << item.commandId;
        if (item.caption)
            EXPECT_EQ(caption, core::stringw(item.caption));
    }
    // Sub-menus carry their entry's command id as their GUI id.
    EXPECT_NE(sorn::findElement(ids::CmdWindowMenu), nullptr);
    EXPECT_NE(sorn::findElement(ids::CmdDebugMenu), nullptr);
    auto* bar = static_cast<gui::IGUIContextMenu*>(sorn::findElement(ids::MenuBar));
    ASSERT_EQ(bar->getItemCount(), 6u);
    EXPECT_EQ(core::stringw(bar->getItemText(0)), core::stringw(L"File"));
}

struct ChildExpectation {
    gui::EGUI_ELEMENT_TYPE type;
    core::rect<s32> rect;
    s32 id;
    const wchar_t* text;
};

TEST_F(StartupTest, ToolbarHoldsFiveButtonsThenSixControls) {
    gui::IGUIElement* toolBar = nullptr;
    for (gui::IGUIElement* child : gui()->getRootGUIElement()->getChildren())
        if (child->getType() == gui::EGUIET_TOOL_BAR)
            toolBar = child;
    ASSERT_NE(toolBar, nullptr);
    const ChildExpectation expected[] = {
        {gui::EGUIET_BUTTON, {}, ids::ButtonOpenSceneBox, nullptr},
        {gui::EGUIET_BUTTON, {}, ids::ButtonOpenToolBox, nullptr},
        {gui::EGUIET_BUTTON, {}, ids::ButtonCameraZero, nullptr},
        {gui::EGUIET_BUTTON, {}, ids::ButtonAbout, nullptr},
        {gui::EGUIET_BUTTON, {}, ids::ButtonSnap, nullptr},
        {gui::EGUIET_STATIC_TEXT, {140, 4, 590, 23}, -1, L""},
        {gui::EGUIET_STATIC_TEXT, {145, 7, 585, 23}, ids::StatusText, L"Selection: Scene"},
        {gui::EGUIET_STATIC_TEXT, {780, 4, 940, 23}, -1, L""},
        {gui::EGUIET_STATIC_TEXT, {780, 4, 836, 23}, -1, L"Sens: "},
        {gui::EGUIET_SCROLL_BAR, {840, 10, 935, 18}, ids::SensitivityScrollBar, nullptr},
        {gui::EGUIET_STATIC_TEXT, {600, 4, 770, 23}, -1, nullptr},
    };
    const auto& children = toolBar->getChildren();
    ASSERT_EQ(children.size(), std::size(expected));
    size_t i = 0;
    s32 previousButtonX = -1000;
    for (gui::IGUIElement* child : children) {
        const ChildExpectation& e = expected[i++];
        EXPECT_EQ(child->getType(), e.type) << i;
        EXPECT_EQ(child->getID(), e.id) << i;
        if (e.type == gui::EGUIET_BUTTON) {
            EXPECT_GT(child->getRelativePosition().UpperLeftCorner.X, previousButtonX);
            previousButtonX = child->getRelativePosition().UpperLeftCorner.X;
            EXPECT_NE(core::stringw(child->getToolTipText()), core::stringw(L"___"));
            continue;
        }
        EXPECT_EQ(child->getRelativePosition(), e.rect) << i;
        if (e.text)
            EXPECT_EQ(core::stringw(child->getText()), core::stringw(e.text)) << i;
    }
    EXPECT_LE(previousButtonX + 16, 140) << "the status line's frame starts after the last button";
    auto* snap = static_cast<gui::IGUIButton*>(sorn::findElement(ids::ButtonSnap));
    EXPECT_TRUE(snap->isPushButton());
    EXPECT_FALSE(snap->isPressed()) << "snapping is off by default";
    auto* sensitivity = static_cast<gui::IGUIScrollBar*>(sorn::findElement(ids::SensitivityScrollBar));
    EXPECT_EQ(sensitivity->getMin(), 100);
    EXPECT_EQ(sensitivity->getMax(), 5000);
    EXPECT_EQ(sensitivity->getPos(), 100);
    EXPECT_EQ(editor.fpsText, *children.getLast());
}

TEST_F(StartupTest, FramePassWritesReadouts) {
    activePasses(1);
    EXPECT_EQ(core::stringw(editor.fpsText->getText()).subString(0, 5), core::stringw(L"FPS: "));
    core::stringw info = editor.cameraInfoText->getText();
    EXPECT_EQ(info.subString(0, 5), core::stringw(L"Pos: "));
    EXPECT_NE(info.find(L" Tgt: 0.000000 30.000000 0.000000"), -1) << core::stringc(info).c_str();
    EXPECT_EQ(editor.cameraInfoText->getID(), ids::CameraInfoText);
    EXPECT_EQ(editor.cameraInfoText->getRelativePosition(), core::rect<s32>(10, 50, 570, 80));
}

TEST_F(StartupTest, DeferredRefreshRunsOnceInTheNextActivePass) {
    editor.nodeNameIndex.clear();
    editor.nameIndexRefresh.schedule();
    sorn::runFramePass(true, false);
    EXPECT_TRUE(editor.nodeNameIndex.empty()) << "inactive passes do not count";
    activePasses(1);
    EXPECT_TRUE(editor.nodeNameIndex.empty()) << "the requesting pass only counts";
    activePasses(1);
    EXPECT_FALSE(editor.nodeNameIndex.empty());
    EXPECT_FALSE(editor.nameIndexRefresh.pending);

    editor.nodeNameIndex.clear();
    activePasses(2);
    EXPECT_TRUE(editor.nodeNameIndex.empty()) << "performed once only";
}

TEST_F(StartupTest, RequestingAgainWhilePendingDelaysByAPass) {
    sorn::DeferredRequest request;
    request.schedule();
    EXPECT_FALSE(request.isDue());
    request.schedule();
    EXPECT_FALSE(request.isDue());
    EXPECT_TRUE(request.isDue());
    EXPECT_FALSE(request.isDue());
}

TEST_F(StartupTest, IndexNodeNamesRecordsDescendantsNotTheNodeAndKeepsOldEntries) {
    scene::ISceneNode* parent = smgr()->addEmptySceneNode();
    parent->setName("parent");
    scene::ISceneNode* child = smgr()->addEmptySceneNode(parent);
    child->setName("child");
    editor.nodeNameIndex.clear();
    sorn::indexNodeNames(parent);
    EXPECT_EQ(editor.nodeNameIndex.count(parent), 0u);
    ASSERT_EQ(editor.nodeNameIndex.count(child), 1u);
    EXPECT_EQ(editor.nodeNameIndex[child], "child");
    child->setName("renamed");
    sorn::indexNodeNames(editor.rootNode);
    EXPECT_EQ(editor.nodeNameIndex[child], "renamed");
    EXPECT_EQ(editor.nodeNameIndex[parent], "parent");
}

// Records the keys the first-person camera's animator is handed.
class KeyRecorder : public scene::ISceneNodeAnimator {
public:
    void animateNode(scene::ISceneNode*, u32) override {}
    scene::ISceneNodeAnimator* createClone(scene::ISceneNode*, scene::ISceneManager*) override { return nullptr; }
    bool isEventReceiverEnabled() const override { return true; }
    bool OnEvent(const SEvent& event) override {
        events.push_back(event);
        return false;
    }
    std::vector<SEvent> events;
};

TEST_F(StartupTest, LosingFocusReleasesEveryKeyOfTheFirstPersonCamera) {
    sorn::activateCamera(editor.cameraFps);
    auto* animator = static_cast<scene::ISceneNodeAnimatorCameraFPS*>(*editor.cameraFps->getAnimators().begin());
    // Hold "forward" down, then lose the focus: the camera must stop.
    const SEvent press = sorn::test::keyEvent(KEY_UP, true);
    animator->OnEvent(press);
    core::vector3df before = editor.cameraFps->getPosition();

    auto* recorder = new KeyRecorder();
    editor.cameraFps->addAnimator(recorder);
    recorder->drop();
    sorn::runFramePass(true, true);
    sorn::runFramePass(false, true);
    EXPECT_TRUE(recorder->events.empty()) << "only the first-person animator is handed the keys";

    // After the release the camera no longer moves forward.
    editor.device->getTimer()->setTime(editor.device->getTimer()->getTime() + 1000);
    editor.cameraFps->OnAnimate(editor.device->getTimer()->getTime());
    editor.device->getTimer()->setTime(editor.device->getTimer()->getTime() + 1000);
    editor.cameraFps->OnAnimate(editor.device->getTimer()->getTime());
    core::vector3df after = editor.cameraFps->getPosition();
    EXPECT_TRUE(after.equals(before, 0.001f)) << after.X << " " << after.Y << " " << after.Z;

    // Regaining the focus sends nothing.
    sorn::runFramePass(true, true);
    EXPECT_TRUE(recorder->events.empty());
}

class StartupWithoutConfigTest : public sorn::test::EditorTest {
protected:
    StartupWithoutConfigTest() { writeConfig = false; }
};

TEST_F(StartupWithoutConfigTest, CaptionsFallBackToEnglish) {
    EXPECT_EQ(editor.config.get(L"language"), core::stringw(L"XXX"));
    EXPECT_FALSE(editor.languageTable.empty());
    auto* bar = static_cast<gui::IGUIContextMenu*>(sorn::findElement(ids::MenuBar));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(core::stringw(bar->getItemText(0)), core::stringw(L"File"));
}

class StartupWithFrenchTest : public sorn::test::EditorTest {
protected:
    StartupWithFrenchTest() {
        configText = "<?xml version=\"1.0\"?><config><prog><setting name=\"language\" value=\"fr\"/>"
                     "</prog><startUpModel file=\"from-config.3ds\"/></config>";
    }
};

TEST_F(StartupWithFrenchTest, LanguageSettingChoosesTheTextsAndStartupModelIsRead) {
    auto* bar = static_cast<gui::IGUIContextMenu*>(sorn::findElement(ids::MenuBar));
    EXPECT_EQ(core::stringw(bar->getItemText(0)), core::stringw(L"Fichier"));
    EXPECT_EQ(editor.startupFile, "from-config.3ds");
}

} // namespace
