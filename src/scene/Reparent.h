#pragma once
// Moving nodes under another parent while they keep their place in the world:
// each node's position, rotation and scale are worked out again against the
// new parent, so its absolute transformation stays what it was.
#include <irrlicht.h>

#include <memory>
#include <vector>

namespace sorn {

class UndoStep;

// Whether the node may go under the new parent: not under itself nor under
// one of its own descendants, both in the same scene graph. A node already
// under that parent stays where it is (false).
bool canReparent(irr::scene::ISceneNode* node, irr::scene::ISceneNode* newParent);

// Moves every node that may go (each appended to the new parent's children,
// in the order given; a node whose ancestor is moved as well goes with it),
// and returns the one step that undoes and redoes the whole move; null when
// no node moved. A node whose new parent has no inverse transformation (a
// zero scale) cannot keep its place and stays.
std::unique_ptr<UndoStep> reparentNodes(const std::vector<irr::scene::ISceneNode*>& nodes,
                                        irr::scene::ISceneNode* newParent);

// The node's absolute transformation from the relative ones of its ancestors
// (the engine's own is only brought up to date when it draws).
irr::core::matrix4 worldTransformOf(irr::scene::ISceneNode* node);

} // namespace sorn
