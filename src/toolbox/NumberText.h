#pragma once
// Numbers typed into the tool box's edit boxes.
#include <irrlicht.h>

namespace sorn {

// Reads edit-box text the way atof does (leading blanks skipped, reading stops
// at the first character that is no part of a number, no number gives 0).
// False, with `value` untouched, when the text reads as infinity, NaN or a
// magnitude no f32 can hold: such a value must never reach a node or the grid.
bool parseFiniteNumber(const wchar_t* text, irr::f32& value);

} // namespace sorn
