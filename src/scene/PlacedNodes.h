#pragma once
// Nodes put into the scene or taken out of it by one action (added,
// duplicated, pasted, deleted, cut, or moved by an undo or redo) are noted as
// they move; the action then shows them all at once, so the name index and
// the scene box change for those subtrees only.
#include <irrlicht.h>

namespace sorn {

// The node was put into the scene (formerParent null) or taken out of
// formerParent. Both are held until shown. A subtree put back whose name
// entries the index kept while it was out (namesKept) is not indexed again.
void notePlacedNode(irr::scene::ISceneNode* node, irr::scene::ISceneNode* formerParent,
                    bool namesKept = false);
// The name index learns the names of the noted subtrees now in the scene; it
// keeps those of subtrees taken out, which an undo may put back. The scene
// box rows follow. Returns whether anything was noted.
bool showPlacedNodes();
// Forgets what was noted without showing it (a scene replaced).
void forgetPlacedNodes();

} // namespace sorn
