#pragma once
// The engine's XML reader runs past the end of its text on some malformed
// input (an unterminated tag, closing tag or comment at the end of a file),
// reading memory it does not own. Files the editor hands to it are read into
// memory first and given a guard tail behind the end-of-text mark, so that
// every one of its scanning loops stops inside the buffer.
#include <irrlicht.h>

namespace sorn {

// The largest XML file the editor reads (settings, languages, scenes).
constexpr long MaxXmlFileSize = 512L * 1024 * 1024;

// A memory copy of the file, guarded as above, or null when it cannot be read
// (missing, a folder, unreadable, larger than MaxXmlFileSize).
irr::io::IReadFile* openGuardedXmlFile(irr::io::IFileSystem* fileSystem, const irr::io::path& path);

// An engine XML reader over the guarded copy, or null.
irr::io::IXMLReader* createGuardedXmlReader(irr::io::IFileSystem* fileSystem, const irr::io::path& path);

// The reader loses the one character that follows the last character entity
// of a text when exactly one follows ("R&amp;D" reads as "R&"). The guarded
// copy hands it the five entities as characters of their own instead, which
// it leaves alone; every name, value and text read through the guarded copy
// goes through this to get the characters they stand for.
irr::core::stringw guardedXmlText(const wchar_t* text);

} // namespace sorn
