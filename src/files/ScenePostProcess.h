#pragma once
// Post-processing of a scene file that the engine has just written: numbers
// formatted in a decimal-comma locale ("1,500000") get their decimal points
// back, so the engine's reader (which stops at a comma) reads them whole.
#include <irrlicht.h>

namespace sorn {

// Rewrites the file at path through the temporary file stripExtension(path) +
// "_tmpf.tmp", which then replaces it by rename. Prints the French progress
// lines on standard output. A file without decimal commas is left untouched.
// Returns true when the file now holds the post-processed content; on any
// failure it prints "Error", keeps the file exactly as it was and leaves no
// temporary file behind, and returns false.
bool postProcessScene(const irr::core::stringw& path);

// The path without the text from its last "." on; empty when there is no "."
// or the only one is the first character ("scenes/level.irr" gives
// "scenes/level", "level" gives "").
irr::core::stringw stripExtension(const irr::core::stringw& path);

} // namespace sorn
