#pragma once
#include <irrlicht.h>

namespace sorn {

// Adds a node of the catalogue under the selected node (sky boxes and domes
// under the root), names it after its entry and asks for the scene box, tool
// box and name index refreshes. variant picks the mesh primitive for ESNT_MESH.
// Returns the new node, or null when the engine made none.
irr::scene::ISceneNode* addNode(irr::scene::ESCENE_NODE_TYPE type, irr::s32 variant);

} // namespace sorn
