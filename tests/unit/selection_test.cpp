// The selection going away (delete, new scene, open scene, add model) and the
// camera changing: the node-selected flag, the editing mode, the gizmo, the
// windows and the tool box always agree afterwards.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <cmath>
#include <functional>
#include <ostream>
#include <string>

#include "app/EditorState.h"
#include "events/KeyboardMouseEditing.h"
#include "events/SceneFileCommands.h"
#include "scene/NodeCatalogue.h"
#include "support/EditorFixture.h"

using namespace irr;

namespace sorn {
namespace {

class SelectionTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        clickButton(ids::ButtonOpenSceneBox);
        clickButton(ids::ButtonOpenToolBox);
        cube = addNode(scene::ESNT_CUBE, 0);
        ASSERT_NE(cube, nullptr);
        activePasses(2);
        pickInTree(cube);
        ASSERT_TRUE(editor.nodeSelected);
    }

    bool windowVisible(s32 id) {
        gui::IGUIElement* window = findElement(id);
        return window && window->isVisible();
    }

    bool anyGizmoPartVisible() {
        for (scene::ISceneNode* part : {editor.gizmoLineX, editor.gizmoLineY, editor.gizmoLineZ, editor.gizmoRingX,
                                        editor.gizmoRingY, editor.gizmoRingZ})
            if (part->isVisible())
                return true;
        return false;
    }

    bool cameraTakesInput() { return editor.sceneManager->getActiveCamera()->isInputReceiverEnabled(); }

    // Nothing is selected and nothing is being edited: windows shown, gizmo
    // hidden, the camera has the mouse.
    void expectNothingSelectedOrEdited(const std::string& what) {
        EXPECT_EQ(editor.selectedNode, nullptr) << what;
        EXPECT_FALSE(editor.nodeSelected) << what;
        EXPECT_EQ(editor.editMode, ids::ModeNone) << what;
        EXPECT_FALSE(editor.gizmoActive) << what;
        EXPECT_FALSE(anyGizmoPartVisible()) << what;
        EXPECT_TRUE(windowVisible(ids::ToolBoxWindow)) << what;
        EXPECT_TRUE(windowVisible(ids::SceneBoxWindow)) << what;
        EXPECT_TRUE(cameraTakesInput()) << what;
    }

public:
    void click(s32 id) { clickButton(id); }
    void choose(s32 command) { chooseMenuCommand(command); }

protected:
    scene::ISceneNode* cube = nullptr;
};

struct DropCase {
    const char* name;
    std::function<void(SelectionTest&)> run;
};

std::string saveSceneFile(SelectionTest&) {
    const std::string path = editor.device->getFileSystem()->getWorkingDirectory().c_str() + std::string("/one.irr");
    EXPECT_TRUE(editor.sceneManager->saveScene(path.c_str()));
    return path;
}

std::string writeModelFile(SelectionTest&) {
    const std::string path = editor.device->getFileSystem()->getWorkingDirectory().c_str() + std::string("/tri.obj");
    test::writeFile(path, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    return path;
}

const DropCase kDropCases[] = {
    {"delete", [](SelectionTest& t) { t.click(ids::SceneBoxRemove); }},
    {"new_scene", [](SelectionTest& t) { t.choose(ids::CmdNewScene); }},
    {"open_scene", [](SelectionTest& t) { openSceneFromDialog(saveSceneFile(t)); }},
    {"add_model", [](SelectionTest& t) { addModelFromDialog(writeModelFile(t), false); }},
};

std::ostream& operator<<(std::ostream& out, const DropCase& c) {
    return out << c.name;
}

class DropSelectionTest : public SelectionTest, public testing::WithParamInterface<DropCase> {};

TEST_P(DropSelectionTest, FlagIsClearedAndEditingKeysThenDoNothing) {
    GetParam().run(*this);
    expectNothingSelectedOrEdited("right after");
    EXPECT_EQ(std::wstring(editor.statusText->getText()), L"Selection: Scene");

    for (EKEY_CODE key : {KEY_KEY_X, KEY_KEY_Y, KEY_KEY_Z, KEY_KEY_R, KEY_KEY_S}) {
        EXPECT_FALSE(releaseKey(key));
        expectNothingSelectedOrEdited(std::string("after key ") + char(key));
    }

    // The tool box comes back in its no-selection form: the scene tab.
    activePasses(2);
    auto* tabs = static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->getTabCount(), 1);
    EXPECT_EQ(std::wstring(tabs->getTab(0)->getText()), L"Scene");
    EXPECT_EQ(findElement(ids::PositionEditX), nullptr);
}

TEST_P(DropSelectionTest, EditingInProgressIsLeftWithWindowsBack) {
    cube->setDebugDataVisible(scene::EDS_BBOX);
    releaseKey(KEY_KEY_X);
    ASSERT_EQ(editor.editMode, ids::ModeMoveX);
    ASSERT_FALSE(windowVisible(ids::ToolBoxWindow));
    ASSERT_FALSE(cameraTakesInput());
    GetParam().run(*this);
    expectNothingSelectedOrEdited("after editing");
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_OFF))
        << "no later pick would switch the old node's debug drawing off";
}

INSTANTIATE_TEST_SUITE_P(Ways, DropSelectionTest, testing::ValuesIn(kDropCases),
                         [](const testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

TEST_F(SelectionTest, PickingAgainAfterADeleteMakesTheKeysWorkAgain) {
    pickInTree(nullptr);
    scene::ISceneNode* sphere = addNode(scene::ESNT_SPHERE, 0); // beside the cube
    activePasses(2);
    pickInTree(cube);
    clickButton(ids::SceneBoxRemove);
    activePasses(2);
    releaseKey(KEY_KEY_X);
    EXPECT_EQ(editor.editMode, ids::ModeNone);
    pickInTree(sphere);
    releaseKey(KEY_KEY_X);
    EXPECT_EQ(editor.editMode, ids::ModeMoveX);
    EXPECT_TRUE(editor.gizmoLineX->isVisible());
}

// ---- Choosing a camera ---------------------------------------------------

struct CameraCase {
    s32 command;
    s32 modeAfter;
    scene::ICameraSceneNode* EditorState::*camera;
};

std::ostream& operator<<(std::ostream& out, const CameraCase& c) {
    return out << "command " << std::hex << c.command;
}

class CameraChoiceTest : public SelectionTest, public testing::WithParamInterface<CameraCase> {};

TEST_P(CameraChoiceTest, ChoosingACameraWhileEditingLeavesTheModeCleanly) {
    const CameraCase& c = GetParam();
    for (EKEY_CODE key : {KEY_KEY_X, KEY_KEY_R, KEY_KEY_S}) {
        releaseKey(key);
        ASSERT_TRUE(editor.gizmoActive);
        ASSERT_FALSE(windowVisible(ids::SceneBoxWindow));
        chooseMenuCommand(c.command);
        EXPECT_EQ(editor.sceneManager->getActiveCamera(), editor.*c.camera);
        EXPECT_EQ(editor.editMode, c.modeAfter);
        EXPECT_FALSE(editor.gizmoActive);
        EXPECT_FALSE(anyGizmoPartVisible());
        EXPECT_TRUE(windowVisible(ids::ToolBoxWindow));
        EXPECT_TRUE(windowVisible(ids::SceneBoxWindow));
        EXPECT_TRUE(cameraTakesInput());
        EXPECT_TRUE(editor.nodeSelected) << "the selection stays";
        // The next letter starts editing afresh.
        releaseKey(KEY_KEY_Y);
        EXPECT_EQ(editor.editMode, ids::ModeMoveY);
        EXPECT_TRUE(editor.gizmoLineY->isVisible());
        releaseKey(KEY_KEY_Y);
        ASSERT_EQ(editor.editMode, ids::ModeNone);
    }
}

TEST_P(CameraChoiceTest, ChoosingACameraWithoutEditingLeavesTheGizmoAlone) {
    const CameraCase& c = GetParam();
    chooseMenuCommand(c.command);
    EXPECT_EQ(editor.editMode, c.modeAfter);
    EXPECT_FALSE(anyGizmoPartVisible());
    EXPECT_TRUE(windowVisible(ids::ToolBoxWindow));
}

INSTANTIATE_TEST_SUITE_P(Cameras, CameraChoiceTest,
                         testing::Values(CameraCase{ids::CmdCameraMaya2, ids::ModeNone, &EditorState::cameraMaya2},
                                         CameraCase{ids::CmdCameraMaya1, ids::ModeNone, &EditorState::cameraMaya1},
                                         CameraCase{ids::CmdCameraFps, ids::ModeFirstPerson,
                                                    &EditorState::cameraFps}));

// ---- Gizmo on nested nodes -----------------------------------------------------

TEST_F(SelectionTest, GizmoSitsOnANestedNodeWhereItIsDrawn) {
    cube->setPosition({10.f, 0.f, 0.f});
    cube->setRotation({0.f, 90.f, 0.f});
    cube->setScale({2.f, 2.f, 2.f});
    scene::ISceneNode* child = addNode(scene::ESNT_SPHERE, 0); // added under the selection
    ASSERT_EQ(child->getParent(), cube);
    child->setPosition({0.f, 0.f, 5.f});
    child->setRotation({0.f, 0.f, 30.f});
    activePasses(2);
    pickInTree(child);
    releaseKey(KEY_KEY_R);
    ASSERT_TRUE(editor.gizmoActive);
    activePasses(1);

    child->updateAbsolutePosition();
    const core::vector3df expected = child->getAbsolutePosition();
    ASSERT_FALSE(expected.equals(child->getPosition(), 1.f)) << "the check itself: the parent moves the child";
    EXPECT_TRUE(editor.gizmoAnchor->getPosition().equals(expected, 0.001f));

    // The rings turn like the node: the node's own X axis, seen in the world.
    core::matrix4 ringRotation;
    ringRotation.setRotationDegrees(editor.gizmoRotationAnchor->getRotation());
    core::vector3df ringX(1.f, 0.f, 0.f);
    ringRotation.rotateVect(ringX);
    core::vector3df nodeX(1.f, 0.f, 0.f);
    child->getAbsoluteTransformation().rotateVect(nodeX);
    nodeX.normalize();
    EXPECT_TRUE(ringX.equals(nodeX, 0.001f)) << ringX.X << " " << ringX.Y << " " << ringX.Z;

    // A hidden parent is not animated by the engine; the gizmo still follows.
    cube->setVisible(false);
    cube->setPosition({-4.f, 1.f, 0.f});
    activePasses(1);
    cube->updateAbsolutePosition();
    child->updateAbsolutePosition();
    EXPECT_TRUE(editor.gizmoAnchor->getPosition().equals(child->getAbsolutePosition(), 0.001f));
    EXPECT_FALSE(child->getAbsolutePosition().equals(expected, 1.f));
}

TEST_F(SelectionTest, GizmoOnAZeroScaledParentKeepsFiniteAngles) {
    scene::ISceneNode* child = addNode(scene::ESNT_SPHERE, 0);
    cube->setScale({0.f, 0.f, 0.f});
    child->setRotation({0.f, 45.f, 0.f});
    activePasses(2);
    pickInTree(child);
    releaseKey(KEY_KEY_R);
    activePasses(1);
    const core::vector3df rotation = editor.gizmoRotationAnchor->getRotation();
    EXPECT_TRUE(std::isfinite(rotation.X) && std::isfinite(rotation.Y) && std::isfinite(rotation.Z));
    EXPECT_NEAR(rotation.Y, 45.f, 0.01f);
}

} // namespace
} // namespace sorn
