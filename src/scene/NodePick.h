#pragma once
// Finding the node under the pointer in the 3D view: the nearest node the
// pointer's ray meets, by its triangles where it has a mesh, else by its
// bounding box. Nodes the editor owns (debug objects and everything under
// them), cameras, hidden nodes and the skies (which surround the camera) are
// never found.
#include <irrlicht.h>

namespace sorn {

// The node under the screen position as the active camera sees it; null
// over empty space or without a camera.
irr::scene::ISceneNode* pickNodeAt(irr::s32 x, irr::s32 y);

// The nearest pickable node the ray meets (the ray in world space, from its
// start towards its end; hits beyond the end count too).
irr::scene::ISceneNode* pickNodeOnRay(const irr::core::line3df& ray);

} // namespace sorn
