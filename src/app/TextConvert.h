#pragma once
// Conversions between the engine's wide strings and the narrow strings of
// file paths and number parsing.
#include <irrlicht.h>
#include <string>

#include "app/PathText.h"

namespace sorn {

// Edit-box text as 8-bit characters for atof/atoi; characters beyond Latin-1
// become '?' rather than whatever their low byte happens to be.
std::string narrowToBytes(const wchar_t* text);

// Number text shown in the editor: printf "%0.6f".
irr::core::stringw formatFloat(irr::f32 value);

} // namespace sorn
