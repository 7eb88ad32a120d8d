#pragma once
// The user data of every scene node, as scene files hold it in each node's
// <userData> block: entries of any attribute type, in their order. Exporters
// and games keep their own data there (spawn points, trigger names, tints).
// The engine hands the block over when it reads a scene and asks for it again
// when it writes one, but keeps nothing in between: this store does.
//
// A record holds a reference to its node, so that no node made later at the
// same address can take a record over. A deleted node kept for undo keeps its
// record and comes back with it; records whose node nothing else holds any
// more are let go at saves (releaseUnheldNodeUserData) and all of them when
// the scene is cleared.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// The node's user data, or null when it has none. The store keeps it.
irr::io::IAttributes* findNodeUserData(const irr::scene::ISceneNode* node);

// Keeps userData (held, not copied) as the node's user data, in place of any
// it had; null forgets the node's user data.
void setNodeUserData(irr::scene::ISceneNode* node, irr::io::IAttributes* userData);

// The node's user data to change in place, made empty when it has none.
// Null only when there is no engine to make attributes with.
irr::io::IAttributes* nodeUserDataForChange(irr::scene::ISceneNode* node);

// Gives copy a copy of original's user data (none when original has none).
void copyNodeUserData(const irr::scene::ISceneNode* original, irr::scene::ISceneNode* copy);

// Forgets one node's user data.
void forgetNodeUserData(const irr::scene::ISceneNode* node);

// Lets go of the records whose node is held by nothing else (a deleted node
// no longer kept for undo), also those of nodes that only such a node held.
// Returns the addresses of the nodes let go: gone, only good for lookups.
std::vector<const irr::scene::ISceneNode*> releaseUnheldNodeUserData();

// Forgets every record (the scene is cleared, or the engine goes).
void forgetAllNodeUserData();

// How many nodes have user data.
size_t nodeUserDataCount();

// A new attribute set holding the same entries as from, in order, each of the
// same type and value (no text round trip: no locale, no rounding). The
// caller drops it. Null when there is no engine to make attributes with.
irr::io::IAttributes* copyAttributes(irr::io::IAttributes* from);

// Adds to the end of to a copy of from's entry at index, of the same type and
// value, named newName (null: the entry's own name). An index out of range
// adds nothing.
void appendAttributeCopy(irr::io::IAttributes* from, irr::s32 index, irr::io::IAttributes* to,
                         const irr::c8* newName = nullptr);

} // namespace sorn
