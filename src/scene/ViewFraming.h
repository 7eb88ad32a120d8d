#pragma once
// What the view frames: the box in the world around a set of nodes and
// everything under them, and how far from its centre a camera stands to see it whole.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// The world box around the nodes and their descendants, leaving out the
// editor's own nodes, skies (they surround the camera) and cameras; nodes
// without a size of their own (lights, empty nodes) count as their place.
// With onlyVisible, hidden nodes and what is under them are left out too.
// False when nothing was left to frame.
bool worldBoxOf(const std::vector<irr::scene::ISceneNode*>& nodes, bool onlyVisible, irr::core::aabbox3df& box);

// The user's top-level nodes (the root's children that are not the editor's own).
std::vector<irr::scene::ISceneNode*> userTopLevelNodes(irr::scene::ISceneManager* sceneManager);

// The distance from the box's centre at which a camera with this vertical
// field of view (radians) and aspect ratio (width / height) sees the whole
// box: its enclosing sphere touches the narrower side of the view.
irr::f32 framingDistance(const irr::core::aabbox3df& box, irr::f32 fovY, irr::f32 aspect);

} // namespace sorn
