#pragma once
// A look at a game archive's structure before the engine mounts it. The
// engine's archive readers trust the sizes and offsets they find: a damaged
// zip or pak file makes them allocate absurd amounts, seek backwards for ever
// or read a name past the end of the file. The checks walk the archive the way
// those readers do and refuse any entry they could not handle.
#include <irrlicht.h>
#include <string>

namespace sorn {

// True when the file at path (on disk or inside a mounted archive) is an
// archive the engine can mount safely, or content that its readers turn
// away by themselves.
bool isSoundArchive(irr::io::IFileSystem* fileSystem, const std::string& path);

} // namespace sorn
