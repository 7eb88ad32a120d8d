#pragma once
// Moving, turning and scaling several nodes together, about their common
// centre in the world, each node keeping its parent. Callers pass the topmost
// selected nodes, so a node travels once, with its selected ancestor.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// Moves every node by the same distance in the world.
void moveNodesBy(const std::vector<irr::scene::ISceneNode*>& nodes, const irr::core::vector3df& worldDelta);
// Turns every node by the angle (degrees) about the world axis (0 X, 1 Y,
// 2 Z) through the centre: each one turns, and its place goes round the centre.
void turnNodesAbout(const std::vector<irr::scene::ISceneNode*>& nodes, const irr::core::vector3df& centre,
                    int axis, irr::f32 degrees);
// Adds the step to every scale component of every node, as the scale drag
// does for one, and moves each node's place away from (or towards) the
// centre by as much as its size grew (or shrank).
void scaleNodesAbout(const std::vector<irr::scene::ISceneNode*>& nodes, const irr::core::vector3df& centre,
                     irr::f32 step);

} // namespace sorn
