#pragma once
// What the scene box's rebuild and its row-by-row changes share.
#include <irrlicht.h>

namespace sorn {

// Gives the item the node's name (or, without one, its type in grey).
void labelItem(irr::gui::IGUITreeViewNode* item, irr::scene::ISceneNode* node);
// Whether the node has a child the tree shows (not a debug object).
bool hasShownChildren(irr::scene::ISceneNode* node);
// Whether the tree changed other than by showNodesPlaced since the last
// updateTreeview (or a rebuild was asked for).
bool rowsNeedRebuild();
// The tree shows the scene as it is now.
void rowsBroughtUpToDate();

} // namespace sorn
