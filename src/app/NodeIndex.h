#pragma once
#include <irrlicht.h>

namespace sorn {

// Records the name of every node under the given one (not the node itself),
// depth first, in nodeNameIndex. Entries are added or replaced; indexing from
// the scene's root node starts afresh, so nodes that are gone are forgotten.
void indexNodeNames(irr::scene::ISceneNode* node);

// The node's name and those of everything under it recorded (a subtree put
// into the scene), or their entries forgotten (a subtree about to be freed).
void indexSubtreeNames(irr::scene::ISceneNode* node);
void forgetSubtreeNames(irr::scene::ISceneNode* node);

// Counts the times entries were dropped: the index started afresh or a
// subtree's entries were forgotten. A subtree taken out of the scene keeps
// its entries, so one put back while the count is what it was when it left
// has them still and needs no indexing.
unsigned nameIndexGeneration();

// Hands the first-person camera one key-up event for every key of its key map,
// so a camera moving when the window lost the focus stops.
void releaseCameraKeys();

} // namespace sorn
