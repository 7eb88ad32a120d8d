#pragma once
// File paths between the engine's wide text (GUI, dialogs) and the narrow
// byte strings of the operating system's file names.
#include <irrlicht.h>
#include <string>

namespace sorn {

// A narrow file name as wide text, decoded with the character encoding of the
// user's locale (UTF-8 when the locale names none). Bytes that do not decode
// are kept as the code points U+DC80..U+DCFF, so narrowPath gives them back
// unchanged: a name the encoding cannot read still names the same file.
irr::core::stringw widePath(const std::string& path);
irr::core::stringw widePath(const char* path);

// A wide path as the narrow file name it stands for, encoded with the user's
// locale; never cut to the low byte of each character. Characters that the
// encoding cannot represent become '?'.
std::string narrowPath(const irr::core::stringw& path);
std::string narrowPath(const wchar_t* path);

// ASCII letters A to Z lowered; every other byte is kept.
std::string lowerAscii(std::string text);

// The text from the last "." to the end, "." included, with ASCII letters
// lowered; empty when there is no ".". "model.tar.GZ" gives ".gz".
std::string fileExtension(const std::string& path);

// An absolute path with its "." and ".." parts and doubled "/" taken out, by
// the text alone (for a path that may not exist): "/a/b/../c/./" gives
// "/a/c", and ".." at the root stays at the root.
std::string collapseDotSegments(const std::string& absolute);

} // namespace sorn
