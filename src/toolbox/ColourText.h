#pragma once
// Colour text: a 32-bit ARGB colour as four decimal numbers A,R,G,B joined by
// commas without spaces ("255,255,255,255"). The light, particle and
// volume-light rows of the tool box show and read colours this way.
#include <irrlicht.h>

namespace sorn {

// "A,R,G,B" of a 32-bit colour.
irr::core::stringw formatColourText(irr::video::SColor colour);
// A floating-point colour (channels 0.0 to 1.0): each channel times 255,
// rounded to the nearest integer and kept to its low 8 bits, so that a colour
// read back from a saved scene shows as it was typed.
irr::core::stringw formatColourText(const irr::video::SColorf& colour);

// Reads edit-box text as colour text. The text is cut at its first three
// commas into A, R, G and B (B is everything after the third comma); each
// field reads as a leading decimal integer like atoi. The colour is
// (A << 24) | (R & 255) << 16 | (G & 255) << 8 | (B & 255): A keeps its low
// 8 bits as well. With fewer than three commas the result is the value 1.
// Numbers beyond the int range saturate at its ends (so "99999999999" reads
// as 255 in a channel) instead of being undefined.
irr::video::SColor parseColourText(const wchar_t* text);

// A 32-bit colour as the floating-point colour of a light (channel / 255).
irr::video::SColorf colourToFloat(irr::video::SColor colour);

} // namespace sorn
