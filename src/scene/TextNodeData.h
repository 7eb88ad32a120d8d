#pragma once
// What the engine's scene writer leaves out of a text node: its text and its
// colour. The engine cannot read them back from a text node either, so the
// editor keeps them for every text node it makes or changes, as two entries
// of the node's user data (scene/NodeUserData.h), which a save writes and an
// open reads back onto the node.
#include <irrlicht.h>

namespace sorn {

struct TextNodeRecord {
    irr::core::stringw text;
    irr::video::SColor colour;
};

// The text and colour every new text node starts with.
extern const wchar_t* const kDefaultNodeText;
extern const irr::video::SColor kDefaultTextColour;

// Sets the text node's text and colour and keeps them for saving. Every text
// node the editor makes goes through here, so a node made at the address of a
// deleted one never inherits its record.
void setTextNodeData(irr::scene::ITextSceneNode* node, const wchar_t* text, irr::video::SColor colour);
// Changes only the text, keeping the colour on record.
void setTextNodeText(irr::scene::ITextSceneNode* node, const wchar_t* text);

// The record of a text node, or null for a node the editor has no record of.
const TextNodeRecord* findTextNodeData(const irr::scene::ISceneNode* node);

// Drops every record, and every node's user data (the scene is cleared, or
// the scene manager is new: the old nodes are gone).
void forgetTextNodeData();

// The user-data hooks to hand to ISceneManager::saveScene and loadScene. An
// opened node keeps its user data as read, every entry of any type in order,
// and a save writes it back. A text node's user data also holds a string
// "Text" and a color "Color" entry (hexadecimal, whatever the locale), kept
// in place among the others; an opened text node with them gets its text and
// colour back, one without keeps the defaults. A save also lets go of the
// user data of nodes deleted for good.
irr::scene::ISceneUserDataSerializer* textNodeUserData();

} // namespace sorn
