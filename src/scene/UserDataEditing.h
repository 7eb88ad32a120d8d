#pragma once
// Edits of a node's custom properties (its user data, scene/NodeUserData.h):
// add, rename, change type, set value, remove. Each edit builds the node's
// new set in order (the engine's attribute sets cannot remove, rename or
// retype an entry) and gives back one undo step holding exact copies of the
// whole set before and after. The step is the caller's to record.
#include <irrlicht.h>

#include <memory>

namespace sorn {

class UndoStep;

enum class CustomPropertyOutcome {
    Done,       // changed; the step undoes it
    Unchanged,  // nothing to change (the same name, type or value)
    EmptyName,  // refused: a property needs a name
    NameTaken,  // refused: another property has the name
    BadName,    // refused: a character a scene file cannot give back (& < > " ')
    Unreadable, // refused: the type does not read the text; the value stays
    Missing,    // no such node or property, or no engine to make attributes with
};

struct CustomPropertyEdit {
    CustomPropertyOutcome outcome = CustomPropertyOutcome::Missing;
    std::unique_ptr<UndoStep> step; // set when Done
    // The property to show next: the one edited or added, after a remove the
    // one now in its place (else the one before it); -1 when none is left.
    irr::s32 index = -1;
};

// The node's custom properties (null when it has none). The store keeps them.
irr::io::IAttributes* customProperties(const irr::scene::ISceneNode* node);

// Adds a property of the type with its default value at the end, named
// "property", else "property2", "property3"... (the first not taken).
CustomPropertyEdit addCustomProperty(irr::scene::ISceneNode* node, irr::io::E_ATTRIBUTE_TYPE type);

// Names the property; a character beyond Latin-1 becomes '?' (names are
// 8-bit text in the engine and in the file).
CustomPropertyEdit renameCustomProperty(irr::scene::ISceneNode* node, irr::u32 index, const wchar_t* name);

// Gives the property another type, its value converted through its text when
// the new type reads that text (sorn::attributeTextReads), else the new
// type's default.
CustomPropertyEdit retypeCustomProperty(irr::scene::ISceneNode* node, irr::u32 index,
                                        irr::io::E_ATTRIBUTE_TYPE type);

// Sets the value from text the property's type reads; other text is refused.
CustomPropertyEdit setCustomPropertyText(irr::scene::ISceneNode* node, irr::u32 index, const wchar_t* text);

// Sets the value to that of from's entry at fromIndex (of the same type; the
// property keeps its name), exactly, with no text in between.
CustomPropertyEdit setCustomPropertyValue(irr::scene::ISceneNode* node, irr::u32 index, irr::io::IAttributes* from,
                                          irr::u32 fromIndex);

CustomPropertyEdit removeCustomProperty(irr::scene::ISceneNode* node, irr::u32 index);

} // namespace sorn
