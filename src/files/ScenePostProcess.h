#pragma once
// Post-processing of a scene file that the engine has just written: numbers
// formatted in a decimal-comma locale ("1,500000") get their decimal points
// back, so the engine's reader (which stops at a comma) reads them whole.
#include <irrlicht.h>

namespace sorn {

class AtomicFile;

// Rewrites the decimal commas of the temporary file being written, in place
// (every byte stays where it is; the file keeps its size). A file without
// decimal commas is only read. False when a read or a write fails.
bool rewriteDecimalCommasInPlace(AtomicFile& file);

// Post-processes an existing file at path: the rewritten content goes into a
// new temporary file beside it, which then replaces it by rename. Prints the
// French progress lines on standard output. A file without decimal commas is
// left untouched. Returns true when the file now holds the post-processed
// content; on any failure it prints "Error", keeps the file exactly as it
// was and leaves no temporary file behind, and returns false.
bool postProcessScene(const irr::core::stringw& path);

} // namespace sorn
