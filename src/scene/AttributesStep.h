#pragma once
// A node's whole attribute set, as its own writer gives it, edited and given
// back through its own reader (which expects every attribute present), and
// the undo step of such an edit: the full sets before and after.
#include <irrlicht.h>

#include <memory>

#include "app/EngineRef.h"

namespace sorn {

class UndoStep;

// A new set holding what node->serializeAttributes writes; null without an
// engine or a node.
EngineRef<irr::io::IAttributes> nodeAttributes(irr::scene::ISceneNode* node);

// Gives the node the set through deserializeAttributes, keeping right what
// the engine's reader would lose or the editor keeps beside the node: a
// particle system keeps its emitter's exact rates and its affectors where the
// set leaves them as they were, and the scene's name index follows a rename.
void applyNodeAttributes(irr::scene::ISceneNode* node, irr::io::IAttributes* set);

// Whether two sets hold the same attributes with the same texts.
bool sameAttributes(irr::io::IAttributes* a, irr::io::IAttributes* b);

// The edit already applied; undo gives the node before, redo after. Null when
// the two are the same.
std::unique_ptr<UndoStep> makeAttributesStep(irr::scene::ISceneNode* node, irr::io::IAttributes* before,
                                             irr::io::IAttributes* after);

} // namespace sorn
