#pragma once
// The scene box's duplicate: a copy of a node with everything under it.
#include <irrlicht.h>

namespace sorn {

// Copies the node, its children at any depth, materials and animators, under
// the same parent. The engine's clone copies the whole subtree in one call;
// the kinds it cannot copy (particle systems, text nodes) or copies as
// another kind (a water surface), alone or under any other node, are then
// made afresh by type at their places and given the original's attributes,
// as when a saved scene is read back.
// Returns the copy (held by its parent), or null when nothing could be made.
irr::scene::ISceneNode* duplicateNodeTree(irr::scene::ISceneNode* node);

} // namespace sorn
