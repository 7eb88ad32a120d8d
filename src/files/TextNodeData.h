#pragma once
// What the engine's scene writer leaves out of a text node: its text and its
// colour. The engine cannot read them back from a text node either, so the
// editor keeps them for every text node it makes or changes, writes them as
// the node's user data when a scene is saved and puts them back on the node
// when the scene is opened.
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

// Drops every record (a new scene manager: the old nodes are gone).
void forgetTextNodeData();

// The user-data hooks to hand to ISceneManager::saveScene and loadScene. A
// saved text node gets a user-data record with a string "Text" and a color
// "Color" attribute (written as hexadecimal, whatever the locale); an opened
// text node with such a record gets its text and colour back; a node without
// one keeps the defaults.
irr::scene::ISceneUserDataSerializer* textNodeUserData();

} // namespace sorn
