#pragma once
#include <irrlicht.h>

namespace sorn {

// Adds a node of the catalogue under the selected node (sky boxes and domes
// under the root), names it after its entry and asks for the scene box, tool
// box and name index refreshes. variant picks the mesh primitive for ESNT_MESH.
// Returns the new node, or null when the engine made none.
irr::scene::ISceneNode* addNode(irr::scene::ESCENE_NODE_TYPE type, irr::s32 variant);

// Puts the meshes of the plane, cylinder and cone into the engine's mesh cache
// under fixed names ("Sorn::PlaneMesh" and so on). A saved scene refers to
// them by these names, so opening it finds the same shapes again.
void registerPrimitiveMeshes();

} // namespace sorn
