#include <gtest/gtest.h>

#include "scene/NodeCatalogue.h"
#include "scene/SceneBox.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;
using sorn::findElement;
namespace ids = sorn::ids;

namespace {

class SceneBoxTest : public sorn::test::EditorTest {
protected:
    gui::IGUITreeView* tree() { return static_cast<gui::IGUITreeView*>(findElement(ids::SceneBoxTree)); }

    // The tree as text: one line per item, indented by depth.
    std::string outline() {
        std::string text;
        std::function<void(gui::IGUITreeViewNode*, int)> walk = [&](gui::IGUITreeViewNode* item, int depth) {
            for (gui::IGUITreeViewNode* child = item->getFirstChild(); child; child = child->getNextSibling()) {
                text += std::string(depth * 2, ' ') + core::stringc(child->getText()).c_str() +
                        (child->getSelected() ? " *" : "") + "\n";
                walk(child, depth + 1);
            }
        };
        walk(tree()->getRoot(), 0);
        return text;
    }
    void refresh() { activePasses(2); }
};

TEST_F(SceneBoxTest, EmptySceneShowsOnlyTheLabel) {
    clickButton(ids::ButtonOpenSceneBox);
    ASSERT_NE(tree(), nullptr);
    EXPECT_EQ(outline(), "Scene\n");
    EXPECT_TRUE(isMenuItemChecked(ids::CmdSceneBox));
    EXPECT_EQ(tree()->getRoot()->getData(), smgr()->getRootSceneNode());
}

TEST_F(SceneBoxTest, WindowLayoutAndButtons) {
    sorn::createSceneBox();
    gui::IGUIElement* window = findElement(ids::SceneBoxWindow);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getRelativePosition(), core::rect<s32>(0, 50, 215, 450));
    const std::pair<s32, core::rect<s32>> children[] = {
        {ids::SceneBoxTabControl, {2, 25, 210, 395}}, {ids::SceneBoxTree, {4, 34, 200, 380}},
        {ids::SceneBoxAdd, {4, 40, 24, 60}},          {ids::SceneBoxDuplicate, {30, 40, 50, 60}},
        {ids::SceneBoxRemove, {56, 40, 76, 60}},
    };
    for (const auto& child : children) {
        gui::IGUIElement* element = window->getElementFromId(child.first, true);
        ASSERT_NE(element, nullptr) << std::hex << child.first;
        EXPECT_EQ(element->getRelativePosition(), child.second) << std::hex << child.first;
    }
    sorn::createSceneBox();
    int windows = 0;
    for (gui::IGUIElement* element : gui()->getRootGUIElement()->getChildren())
        windows += element->getID() == ids::SceneBoxWindow;
    EXPECT_EQ(windows, 1);
}

TEST_F(SceneBoxTest, TreeFollowsTheSceneAfterTheDeferredRefresh) {
    sorn::createSceneBox();
    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    refresh();
    pickInTree(sphere);
    sorn::addNode(scene::ESNT_CUBE, 0);
    sorn::addNode(scene::ESNT_CUBE, 0);
    activePasses(1);
    EXPECT_EQ(outline(), "Scene\nSphere *\n") << "not before the second pass";
    activePasses(1);
    EXPECT_EQ(outline(), "Scene\nSphere *\n  Cube\n  Cube\n");
    // Nodes named alike stay apart: each item carries its own node.
    scene::ISceneNode* first = *sphere->getChildren().begin();
    EXPECT_NE(treeItemFor(first), nullptr);
    EXPECT_NE(treeItemFor(first), treeItemFor(*sphere->getChildren().getLast()));
}

TEST_F(SceneBoxTest, CamerasAndDebugObjectsAreLeftOutWithTheirSubtrees) {
    sorn::createSceneBox();
    scene::ISceneNode* camera = smgr()->addCameraSceneNode(nullptr, core::vector3df(), core::vector3df(), -1, false);
    smgr()->addCubeSceneNode(1, camera)->setName("under camera");
    scene::ISceneNode* hidden = smgr()->addEmptySceneNode();
    hidden->setIsDebugObject(true);
    smgr()->addCubeSceneNode(1, hidden)->setName("under debug");
    smgr()->addEmptySceneNode()->setName("shown");
    sorn::updateTreeview();
    EXPECT_EQ(outline(), "Scene\nshown\n");
}

TEST_F(SceneBoxTest, PickingSelectsPrintsAndPickingTheLabelClears) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    refresh();
    testing::internal::CaptureStdout();
    pickInTree(cube);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(editor.selectedNode, cube);
    EXPECT_TRUE(editor.nodeSelected);
    EXPECT_NE(out.find("Selection => Cube\n"), std::string::npos) << out;
    EXPECT_EQ(core::stringw(editor.statusText->getText()), core::stringw(L"Selection: Cube"));

    cube->setDebugDataVisible(scene::EDS_BBOX);
    pickInTree(nullptr);
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_FALSE(editor.nodeSelected);
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_BBOX)) << "the scene's value, not the pick's";
    EXPECT_EQ(core::stringw(editor.statusText->getText()), core::stringw(L"Selection: Scene"));
}

// The debug drawing is the node's own (a save writes it): picks leave it as
// it is, and the Debug menu's checks show the picked node's.
TEST_F(SceneBoxTest, PickLeavesDebugDrawingAndTheMenuShowsTheNodes) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    sphere->setDebugDataVisible(scene::EDS_SKELETON);
    refresh();
    pickInTree(sphere);
    EXPECT_EQ(sphere->isDebugDataVisible(), static_cast<u32>(scene::EDS_SKELETON));
    EXPECT_TRUE(isMenuItemChecked(ids::CmdDebugSkeleton));
    chooseMenuCommand(ids::CmdDebugBoundingBox); // the user's own choice for the sphere
    pickInTree(cube);
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_OFF));
    EXPECT_FALSE(isMenuItemChecked(ids::CmdDebugBoundingBox));
    EXPECT_FALSE(isMenuItemChecked(ids::CmdDebugSkeleton));
    EXPECT_EQ(sphere->isDebugDataVisible(), static_cast<u32>(scene::EDS_SKELETON | scene::EDS_BBOX));
}

TEST_F(SceneBoxTest, DuplicateAddsACopyBesideTheOriginal) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    cube->setPosition(core::vector3df(3, 4, 5));
    refresh();
    pickInTree(cube);
    clickButton(ids::SceneBoxDuplicate);
    EXPECT_EQ(outline(), "Scene\nCube\nCube *\n") << "the copy is the selection";
    scene::ISceneNode* copy = *smgr()->getRootSceneNode()->getChildren().getLast();
    EXPECT_NE(copy, cube);
    EXPECT_EQ(copy->getPosition(), cube->getPosition());
    EXPECT_EQ(editor.selectedNode, copy);
    EXPECT_TRUE(editor.nameIndexRefresh.pending);
}

TEST_F(SceneBoxTest, DeleteRemovesTheNodeOnTheNextDraw) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    refresh();
    pickInTree(cube);
    clickButton(ids::SceneBoxRemove);
    EXPECT_EQ(editor.selectedNode, nullptr);
    refresh();
    EXPECT_EQ(outline(), "Scene\n");
    EXPECT_EQ(smgr()->getSceneNodeFromName("Cube"), nullptr);
    clickButton(ids::SceneBoxRemove);  // nothing selected: nothing happens
    EXPECT_EQ(outline(), "Scene\n");
}

// The tree keeps items of deleted nodes until its deferred refresh; picking
// one must not touch the freed node (AddressSanitizer reports it if it does).
TEST_F(SceneBoxTest, PickingAStaleItemAfterDeletionSelectsNothing) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    smgr()->addSphereSceneNode(5, 16, cube);
    refresh();
    pickInTree(cube);
    clickButton(ids::SceneBoxRemove);
    pickInTree(cube);  // queued, not yet freed
    EXPECT_EQ(editor.selectedNode, nullptr);
    activePasses(1);   // freed now, the tree not yet rebuilt
    gui::IGUITreeViewNode* stale = treeItemFor(cube);
    ASSERT_NE(stale, nullptr);
    stale->setSelected(true);
    postGuiEvent(gui::EGET_TREEVIEW_NODE_SELECT, tree());
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_FALSE(editor.nodeSelected);
    activePasses(2);
    EXPECT_EQ(outline(), "Scene\n");
}

TEST_F(SceneBoxTest, NewSceneThenStalePickIsSafe) {
    sorn::createSceneBox();
    scene::ISceneNode* light = sorn::addNode(scene::ESNT_LIGHT, 0);
    refresh();
    chooseMenuCommand(ids::CmdNewScene);
    activePasses(1);
    gui::IGUITreeViewNode* stale = treeItemFor(light);
    ASSERT_NE(stale, nullptr);
    stale->setSelected(true);
    postGuiEvent(gui::EGET_TREEVIEW_NODE_SELECT, tree());
    EXPECT_EQ(editor.selectedNode, nullptr);
}

TEST_F(SceneBoxTest, UpdateWithTheBoxClosedDoesNothingAndCloseRemovesIt) {
    sorn::updateTreeview();
    EXPECT_EQ(findElement(ids::SceneBoxWindow), nullptr);
    sorn::createSceneBox();
    sorn::closeSceneBox();
    EXPECT_EQ(findElement(ids::SceneBoxWindow), nullptr);
}

} // namespace

namespace {

class SceneBoxClearTest : public sorn::test::EditorTest {};

// New scene queues the nodes; a pick before the engine frees them must not
// make one of them the selection, or the selection would dangle afterwards.
TEST_F(SceneBoxClearTest, PickBetweenNewSceneAndTheNextDrawSelectsNothing) {
    sorn::createSceneBox();
    scene::ISceneNode* light = sorn::addNode(scene::ESNT_LIGHT, 0);
    activePasses(2);
    chooseMenuCommand(ids::CmdNewScene);
    pickInTree(light);
    EXPECT_EQ(editor.selectedNode, nullptr);
    activePasses(3);
    EXPECT_EQ(editor.selectedNode, nullptr);
}

} // namespace
