#pragma once
// Conversions between the engine's wide strings and the narrow strings of
// file paths and number parsing.
#include <irrlicht.h>
#include <cstdint>
#include <string>

#include "app/PathText.h"

namespace sorn {

// Edit-box text as 8-bit characters for atof/atoi; characters beyond Latin-1
// become '?' rather than whatever their low byte happens to be.
std::string narrowToBytes(const wchar_t* text);

// Text read from an 8-bit file holds one character per byte; when those bytes
// spell UTF-8 (as exporters write it) with at least one character beyond
// ASCII, decoded is set to the characters they spell and true returned. Text
// with a character above 0xFF, a byte that is not UTF-8, an overlong or cut
// sequence, or nothing beyond ASCII is left alone: false.
bool decodeUtf8Bytes(const irr::core::stringw& bytes, irr::core::stringw& decoded);

// 8-bit text as the characters its bytes code (Latin-1), as the engine's
// scene writer writes a node's name.
irr::core::stringw widenBytes(const char* bytes);

// Appends the character's UTF-8 bytes; a surrogate or a code beyond Unicode
// becomes U+FFFD.
void appendUtf8(std::string& out, std::uint32_t c);

// Number text shown in the editor: printf "%0.6f".
irr::core::stringw formatFloat(irr::f32 value);

} // namespace sorn
