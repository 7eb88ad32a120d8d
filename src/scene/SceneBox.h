#pragma once
#include <irrlicht.h>

#include <vector>

#include "scene/TreeView.h"

namespace sorn {

// The scene box: a window showing the scene graph as a tree, with buttons to
// add a model, duplicate and delete the selected node.
void createSceneBox();
// Brings the tree's items up to date with the scene graph (nothing while the
// box is closed): when every change since the last time was shown row by row
// (showNodesPlaced), only the selection marks; otherwise every item is rebuilt.
void updateTreeview();
// The next updateTreeview rebuilds every item (a scene replaced, a change
// the rows were not told about).
void requestTreeRebuild();

// Nodes one action put into the scene or took out of it, each with the
// parent it had before (null for a new node).
struct NodePlacement {
    irr::scene::ISceneNode* node;
    irr::scene::ISceneNode* formerParent;
};
// Shows those changes row by row: the rows of a node no longer under its
// former parent go, with everything under them, and are kept for its return;
// a node now in the scene without rows gets them (the kept ones, collapsed,
// or new ones) at its place among its siblings. The filter, the other rows'
// expanded state and the scroll position stay as they were.
void showNodesPlaced(const std::vector<NodePlacement>& placed);
// Lets go of the rows kept for nodes out of the scene (a history forgotten).
void forgetKeptRows();
void closeSceneBox();

// Shows the selection in the tree: every selected node's row highlighted, the
// primary's row the tree's selected item. With reveal, the primary's
// ancestors are expanded and its row scrolled into view.
void markSelectionInTree(bool reveal);

// Adds an item under treeItem for every child of node that is shown (cameras
// and debug objects are left out with everything under them), recursively.
void fillTree(irr::scene::ISceneNode* node, irr::gui::IGUITreeViewNode* treeItem);

// What the scene box's tree does with a row renamed or dragged, given to
// every scene box built from now on.
void setSceneBoxEditHandlers(const TreeEditHandlers& handlers);
// The scene box's tree, or null while the box is closed.
CTreeView* sceneBoxTree();
// The tree shows only the rows whose name holds the filter box's text.
void applySceneBoxFilter();
// The item standing for the node, or null.
irr::gui::IGUITreeViewNode* treeItemOfNode(irr::scene::ISceneNode* node);
// Opens the rows above the node's and scrolls its row into view.
void revealNodeInTree(irr::scene::ISceneNode* node);
// Shows the node's name (or, without one, its type in grey) in its row.
void showNodeNameInTree(irr::scene::ISceneNode* node);

} // namespace sorn
