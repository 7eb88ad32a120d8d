#pragma once
// The nodes the user has selected. The editor-wide state keeps them in pick
// order (editor.selection, the last one being editor.selectedNode); these
// functions read and change that list for every other part of the editor.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// The selected nodes still in the scene, in pick order (the primary last).
std::vector<irr::scene::ISceneNode*> selectedNodes();
// The selected nodes none of whose ancestors is selected, in pick order: what
// a move, a delete or a copy acts on, so that a child travels once, with its
// selected ancestor.
std::vector<irr::scene::ISceneNode*> topmostSelectedNodes();
bool isNodeSelected(irr::scene::ISceneNode* node);

// The selection becomes exactly these nodes (the last one the primary), or
// nothing. Sets selectedNode and the node-selected flag to match.
void setSelectedNodes(const std::vector<irr::scene::ISceneNode*>& nodes);
// Adds the node as the new primary, or takes it out when it is selected
// (the previous pick then becomes the primary).
void toggleNodeSelected(irr::scene::ISceneNode* node);
// Drops nodes that left the scene (deleted, undone) from the list; the
// primary follows. Returns whether anything was dropped.
bool dropNodesNotInScene();

// The nodes of the list still in the scene, in their order; stale pointers
// are compared, never followed.
std::vector<irr::scene::ISceneNode*> liveAmong(const std::vector<irr::scene::ISceneNode*>& list);

// The centre of the topmost selected nodes' places in the world.
irr::core::vector3df selectionCentre();

// The node's transformation in the world, from its own and its parents'
// relative ones (the engine updates the absolute one only for nodes it
// animates, and hidden ones are not animated).
irr::core::matrix4 worldTransformationOf(irr::scene::ISceneNode* node);

} // namespace sorn
