#pragma once
// Saving the scene so that a failed save never costs the user the file that
// was there: the engine writes into a temporary file beside the target (as
// 8-bit text, see SceneTextWriteFile.h), the post-processing rewrites that
// file, and only a complete, flushed file is renamed over the target.
#include <irrlicht.h>
#include <string>

#include "app/AtomicFile.h"

namespace sorn {

// Saves the whole scene (the engine leaves out debug objects) to path, with
// the engine's user-data serializer when one is given. Prints the
// post-processing trace. True when path now holds the saved scene; false on
// any failure (a line "Error" in the trace), and then the file at path is
// byte for byte what it was and no temporary file is left, and failure (when
// given) says why, and systemError (when given) the system's error number
// (0 when the failure was not the system's).
bool saveSceneFile(const std::string& path, irr::scene::ISceneUserDataSerializer* userData = nullptr,
                   WriteFailure* failure = nullptr, int* systemError = nullptr);

} // namespace sorn
