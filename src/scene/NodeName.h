#pragma once
// Node names as the editor shows and takes them. The engine keeps a name as
// 8-bit characters and its scene writer writes each one as the character of
// that code, so a name holds exactly the Latin-1 characters (those of the
// engine's font); the opening of a UTF-8 scene decodes names to them.
#include <irrlicht.h>

#include <memory>

namespace sorn {

class UndoStep;

// The name as text: each 8-bit character widened to the character it codes.
irr::core::stringw nodeNameText(const irr::scene::ISceneNode* node);
// Gives the node the text as its name; a character beyond Latin-1 becomes '?'.
void setNodeNameText(irr::scene::ISceneNode* node, const wchar_t* text);
// What the scene box shows for a node without a name: its type, as the
// engine names it in a scene file ("cube", "mesh"). Not stored.
irr::core::stringw unnamedNodeLabel(const irr::scene::ISceneNode* node);

// A rename already done: undo gives the node its old name back.
std::unique_ptr<UndoStep> makeRenameStep(irr::scene::ISceneNode* node, const irr::core::stringc& before,
                                         const irr::core::stringc& after);

} // namespace sorn
