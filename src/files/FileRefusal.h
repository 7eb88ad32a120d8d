#pragma once
// Why a file the user named cannot be opened, in terms the user can act on:
// not there, not a file, not readable (with the system's own reason), or of
// a kind no loader of the engine takes.
#include <irrlicht.h>

#include <string>

#include "files/SceneScan.h"

namespace sorn {

struct FileRefusal {
    SceneRefusal refusal = SceneRefusal::None;
    // The system's reason (NoAccess), the extension (NoLoader) or the limit
    // passed (TooLarge); empty when there is nothing to add.
    std::string detail;

    bool refused() const { return refusal != SceneRefusal::None; }
};

// Whether the path can be read at all. A path not on disk may still name a
// file inside a mounted archive, which counts as there.
FileRefusal readableFileRefusal(irr::io::IFileSystem* fileSystem, const std::string& path);

// Whether a loader of the engine takes files named so: the engine chooses
// its mesh and image loaders by the name's extension alone.
bool meshLoaderTakes(irr::scene::ISceneManager* sceneManager, const std::string& path);
bool imageLoaderTakes(irr::video::IVideoDriver* driver, const std::string& path);
// The NoLoader refusal for path, its extension (or its whole name) as detail.
FileRefusal noLoaderFor(const std::string& path);

// The system's text for an error number, as strerror gives it ("Permission denied").
std::string systemReason(int error);

} // namespace sorn
