#pragma once
#include <irrlicht.h>

namespace sorn {

// The scene box: a window showing the scene graph as a tree, with buttons to
// add a model, duplicate and delete the selected node.
void createSceneBox();
// Rebuilds the tree's items from the scene graph (nothing while the box is closed).
void updateTreeview();
void closeSceneBox();

// Adds an item under treeItem for every child of node that is shown (cameras
// and debug objects are left out with everything under them), recursively.
void fillTree(irr::scene::ISceneNode* node, irr::gui::IGUITreeViewNode* treeItem);

} // namespace sorn
