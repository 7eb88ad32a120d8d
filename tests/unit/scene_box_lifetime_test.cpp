#include <gtest/gtest.h>

#include <functional>

#include "app/NodeIndex.h"
#include "events/UndoCommands.h"
#include "scene/NodeCatalogue.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"
#include "scene/TreeView.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;
using sorn::findElement;
namespace ids = sorn::ids;

namespace {

class SceneBoxLifetimeTest : public sorn::test::EditorTest {
protected:
    gui::IGUITreeView* tree() { return static_cast<gui::IGUITreeView*>(findElement(ids::SceneBoxTree)); }
};

TEST_F(SceneBoxLifetimeTest, TheSceneBoxUsesTheEditorsTree) {
    sorn::createSceneBox();
    ASSERT_NE(tree(), nullptr);
    EXPECT_NE(dynamic_cast<sorn::CTreeView*>(tree()), nullptr);
    EXPECT_EQ(tree()->getType(), gui::EGUIET_TREE_VIEW);
}

// Each item holds its node while it exists; closing the box lets go.
TEST_F(SceneBoxLifetimeTest, ItemsHoldTheirNodesUntilTheTreeGoes) {
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    const s32 before = cube->getReferenceCount();
    sorn::createSceneBox();
    gui::IGUITreeViewNode* item = treeItemFor(cube);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->getData2(), static_cast<IReferenceCounted*>(cube));
    EXPECT_EQ(cube->getReferenceCount(), before + 1);
    EXPECT_EQ(tree()->getRoot()->getData2(), nullptr) << "the scene's root is not held";
    sorn::closeSceneBox();
    EXPECT_EQ(cube->getReferenceCount(), before);
}

// A node the engine removes on its own (a deletion animator, which a scene
// file can carry) leaves a stale item behind; picking it selects nothing and
// touches no freed memory.
TEST_F(SceneBoxLifetimeTest, PickAfterTheEngineRemovedTheNodeSelectsNothing) {
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    smgr()->addCubeSceneNode(5, cube)->setName("inner");
    scene::ISceneNodeAnimator* deleter = smgr()->createDeleteAnimator(100000);
    cube->addAnimator(deleter);
    deleter->drop();
    activePasses(2);  // the refresh the adding asked for
    ASSERT_FALSE(editor.sceneViewRefresh.pending);
    sorn::createSceneBox();
    gui::IGUITreeViewNode* item = treeItemFor(cube);
    ASSERT_NE(item, nullptr);
    editor.device->getTimer()->setTime(editor.device->getTimer()->getTime() + 200000);
    activePasses(1);
    ASSERT_EQ(smgr()->getSceneNodeFromName("Cube"), nullptr) << "the engine has removed the cube";
    item->setSelected(true);
    postGuiEvent(gui::EGET_TREEVIEW_NODE_SELECT, tree());
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_FALSE(editor.nodeSelected);
    // Its child, also gone with it, is no selection either.
    gui::IGUITreeViewNode* inner = item->getFirstChild();
    ASSERT_NE(inner, nullptr);
    inner->setSelected(true);
    postGuiEvent(gui::EGET_TREEVIEW_NODE_SELECT, tree());
    EXPECT_EQ(editor.selectedNode, nullptr);
}

TEST_F(SceneBoxLifetimeTest, PickOfANestedLiveNodeSelectsIt) {
    scene::ISceneNode* parent = sorn::addNode(scene::ESNT_SPHERE, 0);
    scene::ISceneNode* deep = parent;
    for (int i = 0; i < 50; ++i)
        deep = smgr()->addEmptySceneNode(deep);
    deep->setName("deep");
    sorn::createSceneBox();
    pickInTree(deep);
    EXPECT_EQ(editor.selectedNode, deep);
    EXPECT_TRUE(editor.nodeSelected);
}

// Items the tree holds but that carry a node without holding it (no item the
// scene box builds) never give a node: it could not be looked at safely.
TEST_F(SceneBoxLifetimeTest, AnItemThatDoesNotHoldItsNodeGivesNone) {
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    sorn::createSceneBox();
    gui::IGUITreeViewNode* item = tree()->getRoot()->addChildBack(L"loose", nullptr, 0, -1, cube);
    EXPECT_EQ(sorn::liveNodeOfTreeItem(item), nullptr);
    EXPECT_EQ(sorn::liveNodeOfTreeItem(treeItemFor(cube)), cube);
    EXPECT_EQ(sorn::liveNodeOfTreeItem(nullptr), nullptr);
}

TEST_F(SceneBoxLifetimeTest, NameIndexForgetsNodesThatAreGone) {
    scene::ISceneNode* light = sorn::addNode(scene::ESNT_LIGHT, 0);
    activePasses(2);
    ASSERT_EQ(editor.nodeNameIndex.count(light), 1u);
    chooseMenuCommand(ids::CmdNewScene);
    activePasses(3);
    EXPECT_EQ(editor.nodeNameIndex.count(light), 0u);
    std::function<size_t(scene::ISceneNode*)> count = [&](scene::ISceneNode* node) {
        size_t n = 0;
        for (scene::ISceneNode* child : node->getChildren())
            n += 1 + count(child);
        return n;
    };
    EXPECT_EQ(editor.nodeNameIndex.size(), count(editor.rootNode)) << "one entry per node there is";
}

// A deleted subtree's entries stay while the history holds it, so its undo
// needs no indexing; whatever dropped entries meanwhile, the subtree put back
// is named again, and a subtree freed with its step leaves no entry behind.
TEST_F(SceneBoxLifetimeTest, NameIndexFollowsADeletedSubtreeUntilItIsFreed) {
    const struct {
        const char* name;
        std::function<void(scene::ISceneNode* deleted)> meanwhile;
    } cases[] = {
        {"nothing", [](scene::ISceneNode*) {}},
        {"indexed afresh", [](scene::ISceneNode*) { sorn::indexNodeNames(editor.rootNode); }},
        {"another subtree freed", [](scene::ISceneNode*) {
             sorn::forgetSubtreeNames(editor.sceneManager->addEmptySceneNode());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scene::ISceneNode* top = smgr()->addEmptySceneNode();
        top->setName("top");
        scene::ISceneNode* child = smgr()->addCubeSceneNode(1, top);
        child->setName("child");
        sorn::recordNodeAdded(top);
        sorn::deleteNodesRecorded({top});
        c.meanwhile(top);
        sorn::undoLastChange();
        activePasses(3);
        EXPECT_EQ(editor.nodeNameIndex[top], "top");
        EXPECT_EQ(editor.nodeNameIndex[child], "child");
        sorn::redoLastChange();
        sorn::forgetSceneHistory();
        EXPECT_EQ(editor.nodeNameIndex.count(top), 0u) << "freed with the history";
        EXPECT_EQ(editor.nodeNameIndex.count(child), 0u);
    }
}

TEST_F(SceneBoxLifetimeTest, NameIndexOfASubtreeKeepsTheOtherEntries) {
    scene::ISceneNode* a = smgr()->addEmptySceneNode();
    a->setName("a");
    scene::ISceneNode* b = smgr()->addEmptySceneNode();
    scene::ISceneNode* b1 = smgr()->addEmptySceneNode(b);
    b1->setName("b1");
    sorn::indexNodeNames(editor.rootNode);
    const size_t entries = editor.nodeNameIndex.size();
    b1->setName("renamed");
    sorn::indexNodeNames(b);
    EXPECT_EQ(editor.nodeNameIndex.size(), entries);
    EXPECT_EQ(editor.nodeNameIndex[a], "a");
    EXPECT_EQ(editor.nodeNameIndex[b1], "renamed");
}

} // namespace
