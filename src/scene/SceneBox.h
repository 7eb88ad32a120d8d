#pragma once
#include <irrlicht.h>

namespace sorn {

// The scene box: a window showing the scene graph as a tree, with buttons to
// add a model, duplicate and delete the selected node.
void createSceneBox();
// Rebuilds the tree's items from the scene graph (nothing while the box is closed).
void updateTreeview();
void closeSceneBox();

// Shows the selection in the tree: every selected node's row highlighted, the
// primary's row the tree's selected item. With reveal, the primary's
// ancestors are expanded and its row scrolled into view.
void markSelectionInTree(bool reveal);
// The scene box row standing for the node, or null.
irr::gui::IGUITreeViewNode* sceneBoxItemOf(irr::scene::ISceneNode* node);

// Adds an item under treeItem for every child of node that is shown (cameras
// and debug objects are left out with everything under them), recursively.
void fillTree(irr::scene::ISceneNode* node, irr::gui::IGUITreeViewNode* treeItem);

} // namespace sorn
