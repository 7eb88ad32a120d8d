#pragma once
// Conversions between the engine's wide strings and the narrow strings of
// file paths and number parsing.
#include <irrlicht.h>
#include <string>

namespace sorn {

// A wide path as the file system's narrow path: UTF-8, so names such as
// "scène.irr" survive (never cut to the low byte).
std::string toNarrowPath(const irr::core::stringw& path);
std::string toNarrowPath(const wchar_t* path);
// A narrow path from the file system as wide text; bytes that are not valid
// UTF-8 are taken as Latin-1 so nothing is lost or rejected.
irr::core::stringw toWidePath(const std::string& path);
irr::core::stringw toWidePath(const char* path);

// Edit-box text as 8-bit characters for atof/atoi; characters beyond Latin-1
// become '?' rather than whatever their low byte happens to be.
std::string narrowToBytes(const wchar_t* text);

// Number text shown in the editor: printf "%0.6f".
irr::core::stringw formatFloat(irr::f32 value);

} // namespace sorn
