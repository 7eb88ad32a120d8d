#pragma once
// Numbers typed into the tool box's edit boxes.
#include <irrlicht.h>

namespace sorn {

// Reads edit-box text the way atof does (leading blanks skipped, reading stops
// at the first character that is no part of a number, no number gives 0).
// False, with `value` untouched, when the text reads as infinity, NaN or a
// magnitude no f32 can hold: such a value must never reach a node or the grid.
bool parseFiniteNumber(const wchar_t* text, irr::f32& value);

// Reads text the way atoi does (leading blanks, an optional sign, then the
// leading digits; no number gives 0), but a number beyond the int range
// saturates at INT_MAX or INT_MIN instead of being undefined.
irr::s32 parseIntegerLikeAtoi(const char* bytes);
irr::s32 parseIntegerLikeAtoi(const wchar_t* text);

} // namespace sorn
