#pragma once
// Bringing a file into the editor, by its extension: a game archive is
// mounted into the engine's file system, a ".irr" scene is loaded into the
// current scene graph, anything else is loaded as a model and added as a node.
#include <string>

namespace sorn {

// Opens path (a narrow file name) as described above; animated chooses an
// animated mesh node (30 frames per second) over a static one. Files that
// cannot be used (missing, unreadable, not a regular file, too large, not a
// complete scene, no mesh the engine can read) add nothing and write nothing.
// True when an archive was mounted, a scene loaded or a node added.
// Requests no refresh: the callers do.
bool openFile(const std::string& path, bool animated);

// Scene and model files larger than this are refused: the engine's readers
// hold the whole file in memory, several times over for 8- and 16-bit text.
constexpr unsigned long long kMaxOpenFileSize = 512ull << 20;

} // namespace sorn
