#pragma once
// Attribute values as the attribute panel shows them and the typed texts it
// reads back. Numbers use the editor's number text (a decimal point in every
// locale); text that does not read as the attribute's type reads as nothing.
#include <irrlicht.h>

namespace sorn {

// Whether the text starts, after blanks, with a number (an optional sign,
// then a digit, or a point and a digit).
bool startsWithNumber(const wchar_t* text);

// A finite f32 / an int (atoi-like, saturating) from text that starts with a
// number; false, value untouched, otherwise.
bool readFloatText(const wchar_t* text, irr::f32& value);
bool readIntegerText(const wchar_t* text, irr::s32& value);

// The attribute's text form as characters: the engine widens the 8-bit text
// of a string attribute byte by byte as signed characters, which is undone
// here (each byte is the Latin-1 character of its code).
irr::core::stringw attributeText(irr::io::IAttributes* attributes, irr::s32 index);

// Sets a string (or any text-read) attribute to the text. A string the
// engine keeps as 8-bit characters gets each character as its Latin-1 byte,
// '?' beyond Latin-1 (the engine's own conversion gives an empty string).
void setAttributeText(irr::io::IAttributes* attributes, irr::s32 index, const wchar_t* text);

} // namespace sorn
