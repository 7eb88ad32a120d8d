// The selection going away (delete, new scene, open scene, add model) and the
// camera changing: the node-selected flag, the editing mode, the gizmo, the
// windows and the tool box always agree afterwards.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "events/KeyboardMouseEditing.h"
#include "events/SceneFileCommands.h"
#include "scene/NodeCatalogue.h"
#include "scene/NodeLifetime.h"
#include "scene/SelectedNodes.h"
#include "scene/SelectionHighlight.h"
#include "scene/TreeView.h"
#include "support/EditorFixture.h"
#include "toolbox/ToolBox.h"

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
    if (isLiveSceneNode(cube)) // the ways that keep it in the scene
        EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_BBOX))
            << "the node's own debug drawing belongs to the scene";
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

namespace sorn {
namespace {

// ---- Picking in the view, several nodes, the highlight -----------------------

class ViewPickTest : public SelectionTest {
protected:
    void SetUp() override {
        SelectionTest::SetUp();
        pickInTree(nullptr);
        sphere = addNode(scene::ESNT_SPHERE, 0); // beside the cube, at the root
        ASSERT_EQ(sphere->getParent(), smgr()->getRootSceneNode());
        cube->setName("Left");
        sphere->setName("Right");
        // Side by side as the camera sees them (it looks along X).
        cube->setPosition({0.f, 30.f, -15.f});
        sphere->setPosition({0.f, 30.f, 15.f});
        activePasses(3); // the names indexed, the boxes where they are drawn
    }

    // The point is in the view, clear of the windows.
    core::position2di seen(scene::ISceneNode* node) {
        const core::position2di at = screenPointOf(node);
        EXPECT_GT(at.X, 220);
        EXPECT_LT(at.X, 790);
        EXPECT_GT(at.Y, 60);
        EXPECT_LT(at.Y, 740);
        return at;
    }

    std::vector<scene::ISceneNode*> selection() { return selectedNodes(); }

public:
    using EditorTest::activePasses;
    using EditorTest::screenPointOf;

protected:
    scene::ISceneNode* sphere = nullptr;
};

struct ClickCase {
    const char* name;
    // Runs before the click; returns where to click.
    std::function<core::position2di(ViewPickTest&, scene::ISceneNode* cube, scene::ISceneNode* sphere)> aim;
    bool expectCube; // else: the selection is as before the click
    bool expectCleared;
};

core::position2di emptySky(ViewPickTest&, scene::ISceneNode*, scene::ISceneNode*) { return {500, 70}; }

const ClickCase kClickCases[] = {
    {"on_the_cube", [](ViewPickTest& t, auto* c, auto*) { return t.screenPointOf(c); }, true, false},
    {"on_empty_space", emptySky, false, true},
    {"on_a_window",
     [](ViewPickTest&, auto*, auto*) { return core::position2di(100, 200); }, false, false},
    {"on_a_hidden_cube",
     [](ViewPickTest& t, auto* c, auto*) {
         const core::position2di at = t.screenPointOf(c);
         c->setVisible(false);
         return at;
     },
     false, true},
    {"on_the_grid_only", // the ground in front of the camera: the grid is the editor's
     [](ViewPickTest& t, auto* c, auto* s) {
         c->setPosition({0.f, 30.f, -500.f});
         s->setPosition({0.f, 30.f, 500.f});
         t.activePasses(1);
         return core::position2di(500, 700);
     },
     false, true},
};

std::ostream& operator<<(std::ostream& out, const ClickCase& c) { return out << c.name; }

class ViewClickTest : public ViewPickTest, public testing::WithParamInterface<ClickCase> {};

TEST_P(ViewClickTest, PicksTheNodeUnderThePointerOrClearsOnEmptySpace) {
    const ClickCase& c = GetParam();
    pickInTree(sphere);
    ASSERT_EQ(editor.selectedNode, sphere);
    const core::position2di at = c.aim(*this, cube, sphere);
    clickInView(at);
    if (c.expectCube) {
        EXPECT_EQ(editor.selectedNode, cube);
        EXPECT_EQ(selection(), std::vector<scene::ISceneNode*>{cube});
    } else if (c.expectCleared) {
        EXPECT_EQ(editor.selectedNode, nullptr);
        EXPECT_FALSE(editor.nodeSelected);
        EXPECT_TRUE(selection().empty());
    } else {
        EXPECT_EQ(editor.selectedNode, sphere);
    }
}

INSTANTIATE_TEST_SUITE_P(Clicks, ViewClickTest, testing::ValuesIn(kClickCases),
                         [](const testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

TEST_F(ViewPickTest, AViewPickIsShownLikeATreePick) {
    const core::position2di at = seen(cube);
    testing::internal::CaptureStdout();
    clickInView(at);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Selection => Left\n"), std::string::npos) << out;
    EXPECT_TRUE(editor.nodeSelected);
    EXPECT_NE(std::wstring(editor.statusText->getText()).find(L"Left"), std::wstring::npos);
    EXPECT_NE(findElement(ids::PositionEditX), nullptr) << "the tool box shows the object tab";
    EXPECT_EQ(std::wstring(findElement(ids::PositionEditZ)->getText()), L"-15.000000");
    gui::IGUITreeViewNode* row = treeItemFor(cube);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->getSelected());
    // The gizmo goes where the picked node is.
    releaseKey(KEY_KEY_X);
    activePasses(1);
    EXPECT_TRUE(editor.gizmoAnchor->getPosition().equals(cube->getAbsolutePosition(), 0.001f));
}

TEST_F(ViewPickTest, AViewPickOpensTheTreeToANestedNode) {
    pickInTree(cube);
    scene::ISceneNode* child = addNode(scene::ESNT_SPHERE, 0); // under the cube
    child->setPosition({0.f, 0.f, -20.f});
    child->setName("Nested");
    activePasses(3); // rebuilt tree: the cube's row is closed
    gui::IGUITreeViewNode* cubeRow = treeItemFor(cube);
    ASSERT_NE(cubeRow, nullptr);
    ASSERT_FALSE(cubeRow->getExpanded());
    clickInView(seen(child));
    EXPECT_EQ(editor.selectedNode, child);
    EXPECT_TRUE(treeItemFor(cube)->getExpanded());
    EXPECT_TRUE(treeItemFor(child)->getSelected());
}

TEST_F(ViewPickTest, TheNearestNodeWinsAndTrianglesCountBeforeTheBox) {
    // The sphere straight in front of the cube, nearer the camera.
    const core::vector3df camera = smgr()->getActiveCamera()->getAbsolutePosition();
    const core::vector3df towardsCamera = (camera - cube->getAbsolutePosition()).normalize();
    sphere->setPosition(cube->getPosition() + towardsCamera * 20.f);
    activePasses(1);
    clickInView(seen(cube));
    EXPECT_EQ(editor.selectedNode, sphere);
    // A point inside the sphere's box but off its round surface reaches the cube.
    // 5.5 off the ray (the radius is 5), across the box's corner (its half size is 5).
    const core::vector3df side = towardsCamera.crossProduct({0.f, 1.f, 0.f}).normalize();
    const core::vector3df up = side.crossProduct(towardsCamera).normalize();
    sphere->setPosition(cube->getPosition() + towardsCamera * 20.f + (side + up) * 3.9f);
    activePasses(1);
    clickInView(seen(cube));
    EXPECT_EQ(editor.selectedNode, cube) << "the sphere's box corner must not catch the click";
}

TEST_F(ViewPickTest, DragsAndEditingModesPickNothing) {
    pickInTree(sphere);
    const core::position2di at = seen(cube);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, at.X, at.Y);
    mouseEvent(EMIE_MOUSE_MOVED, at.X + 20, at.Y);
    mouseEvent(EMIE_MOUSE_MOVED, at.X, at.Y);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, at.X, at.Y);
    EXPECT_EQ(editor.selectedNode, sphere) << "a drag turns the camera, it picks nothing";
    releaseKey(KEY_KEY_X);
    ASSERT_EQ(editor.editMode, ids::ModeMoveX);
    clickInView(at);
    EXPECT_EQ(editor.selectedNode, sphere);
}

TEST_F(ViewPickTest, ControlClickTogglesAndEscapeClears) {
    clickInView(seen(cube));
    clickInView(seen(sphere), true);
    EXPECT_EQ(selection(), (std::vector<scene::ISceneNode*>{cube, sphere}));
    EXPECT_EQ(editor.selectedNode, sphere) << "the last picked is the primary";
    EXPECT_TRUE(static_cast<CTreeViewNode*>(treeItemFor(cube))->isMarked());
    clickInView(seen(sphere), true);
    EXPECT_EQ(selection(), std::vector<scene::ISceneNode*>{cube});
    EXPECT_EQ(editor.selectedNode, cube);
    clickInView({500, 70}, true); // Control on empty space keeps the selection
    EXPECT_EQ(editor.selectedNode, cube);
    EXPECT_FALSE(releaseKey(KEY_ESCAPE));
    EXPECT_TRUE(selection().empty());
    EXPECT_FALSE(editor.nodeSelected);
    EXPECT_FALSE(treeItemFor(cube)->getSelected());
}

TEST_F(ViewPickTest, TreeControlAndShiftClicksSelectSeveralRows) {
    pickInTree(nullptr);
    scene::ISceneNode* third = addNode(scene::ESNT_CUBE, 0);
    activePasses(3);
    clickTreeRow(cube, false);
    EXPECT_EQ(selection(), std::vector<scene::ISceneNode*>{cube});
    clickTreeRow(third, false, true); // Shift: the rows from the cube's to the third's
    EXPECT_EQ(selection(), (std::vector<scene::ISceneNode*>{cube, sphere, third}));
    EXPECT_EQ(editor.selectedNode, third);
    for (scene::ISceneNode* node : {cube, sphere, third})
        EXPECT_TRUE(static_cast<CTreeViewNode*>(treeItemFor(node))->isMarked());
    clickTreeRow(sphere, true); // Control: out again
    EXPECT_EQ(selection(), (std::vector<scene::ISceneNode*>{cube, third}));
    EXPECT_FALSE(static_cast<CTreeViewNode*>(treeItemFor(sphere))->isMarked());
    clickTreeRow(third, true); // the primary out: the one picked before leads
    EXPECT_EQ(editor.selectedNode, cube);
    EXPECT_TRUE(treeItemFor(cube)->getSelected());
    clickTreeRow(sphere, false); // a plain click: that row alone
    EXPECT_EQ(selection(), std::vector<scene::ISceneNode*>{sphere});
    EXPECT_FALSE(static_cast<CTreeViewNode*>(treeItemFor(cube))->isMarked());
    clickTreeRow(cube, true);
    clickTreeRow(cube, false); // a plain click on the primary's own row: it alone
    EXPECT_EQ(selection(), std::vector<scene::ISceneNode*>{cube});
    EXPECT_FALSE(static_cast<CTreeViewNode*>(treeItemFor(sphere))->isMarked());
}

TEST_F(ViewPickTest, TopmostNodesLeaveOutChildrenOfSelectedAncestors) {
    pickInTree(cube);
    scene::ISceneNode* child = addNode(scene::ESNT_SPHERE, 0);
    activePasses(3);
    setSelectedNodes({child, sphere, cube});
    EXPECT_EQ(selectedNodes(), (std::vector<scene::ISceneNode*>{child, sphere, cube}));
    EXPECT_EQ(topmostSelectedNodes(), (std::vector<scene::ISceneNode*>{sphere, cube}));
    // Only what is still in the scene is given out.
    clickButton(ids::SceneBoxRemove);
    EXPECT_TRUE(selectedNodes().empty());
    EXPECT_EQ(sphere->getParent(), nullptr);
    EXPECT_EQ(cube->getParent(), nullptr);
}

TEST_F(ViewPickTest, TheHighlightIsTheEditorsOwnAndTheDebugFlagStaysTheScenes) {
    cube->setDebugDataVisible(scene::EDS_NORMALS); // as a scene file may hold it
    sphere->setDebugDataVisible(scene::EDS_OFF);
    clickInView(seen(cube));
    clickInView(seen(sphere), true);
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_NORMALS));
    EXPECT_EQ(sphere->isDebugDataVisible(), static_cast<u32>(scene::EDS_OFF));
    std::vector<HighlightBox> boxes = selectionHighlightBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].node, cube);
    EXPECT_EQ(boxes[0].colour, secondaryHighlightColour());
    EXPECT_EQ(boxes[1].node, sphere);
    EXPECT_EQ(boxes[1].colour, primaryHighlightColour());
    EXPECT_NE(primaryHighlightColour(), secondaryHighlightColour());
    cube->setVisible(false);
    EXPECT_EQ(selectionHighlightBoxes().size(), 1u) << "a hidden node is not outlined";
    releaseKey(KEY_ESCAPE);
    EXPECT_TRUE(selectionHighlightBoxes().empty());
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_NORMALS));
}

TEST_F(ViewPickTest, DuplicateSelectsTheCopiesAndDeleteTakesAll) {
    clickInView(seen(cube));
    clickInView(seen(sphere), true);
    clickButton(ids::SceneBoxDuplicate);
    const std::vector<scene::ISceneNode*> copies = selectedNodes();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_NE(copies[0], cube);
    EXPECT_NE(copies[1], sphere);
    EXPECT_EQ(copies[1]->getType(), scene::ESNT_SPHERE) << "the sphere's copy is the primary";
    EXPECT_EQ(editor.selectedNode, copies[1]);
    EXPECT_TRUE(treeItemFor(copies[1])->getSelected());
    releaseKey(KEY_DELETE);
    EXPECT_EQ(copies[0]->getParent(), nullptr);
    EXPECT_EQ(copies[1]->getParent(), nullptr);
    EXPECT_EQ(cube->getParent(), smgr()->getRootSceneNode());
    EXPECT_EQ(editor.selectedNode, nullptr);
}

TEST_F(ViewPickTest, ObjectTabSetAppliesToEverySelectedNode) {
    scene::ISceneNode* light = smgr()->addLightSceneNode(nullptr, {0.f, 0.f, 0.f});
    light->setScale({1.f, 1.f, 1.f});
    setSelectedNodes({light, sphere, cube});
    updateToolBox();
    findElement(ids::PositionEditY)->setText(L"7");
    clickButton(ids::ApplyPosition);
    for (scene::ISceneNode* node : {cube, sphere, light})
        EXPECT_EQ(node->getPosition().Y, 7.f);
    EXPECT_EQ(sphere->getPosition().Z, -15.f) << "the rows as shown apply whole";
    findElement(ids::ScaleEditX)->setText(L"3");
    clickButton(ids::ApplyScale);
    EXPECT_EQ(sphere->getScale().X, 3.f);
    EXPECT_EQ(light->getScale().X, 1.f) << "a light has no scale rows";
}

} // namespace
} // namespace sorn
