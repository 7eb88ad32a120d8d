#pragma once
// Meshes and textures a scene names that are not there. The engine's reader
// gives a mesh node whose mesh file is missing no mesh and no materials, and
// a material whose texture is missing no texture; a save then writes Mesh=""
// and Texture1="0" over the paths and drops the node's materials. Instead,
// each missing mesh or texture gets a placeholder before the load, under the
// name the engine looks it up by: an empty mesh with room for as many
// materials as the scene gives any node naming it, and a small checkered
// texture. After the load the placeholders take names under which the
// engine's writer gives the original paths back, relative to the saved
// file's folder like those of files that loaded, and the user is told once
// which files are missing.
#include <string>
#include <vector>

#include "files/SceneScan.h"

namespace sorn {

// Makes the placeholders for the scanned scene's missing meshes, textures and
// height maps: files found neither in a mounted archive nor on disk (relative
// names from folder, or from the working directory when folder is empty). A
// terrain opens its height map by name: a missing one is served, until
// finishMissingReferences, as a flat image of its kind by an archive in memory.
void placeMissingReferences(const SceneScan& scan, const std::string& folder);

// After the engine loaded the scene: the placeholders take the names a save
// writes back, and when loaded is set and any file was missing, one message
// box names them (a long list cut with a count of the rest).
void finishMissingReferences(bool loaded);

// The files found missing by the last placeMissingReferences, as the scene
// names them, in the order first named.
const std::vector<std::string>& missingReferenceNames();

// The scene the placeholders served is gone: meshes leave the engine's mesh
// cache, textures take names no file lookup reaches (a node still waiting
// for deletion may be drawn with one once more). Placeholders made for a
// load still to come stay.
void forgetMissingReferences();

// The name under which the engine's writer gives back the path of a missing
// file (absolute, or relative to folder): the deepest existing folder on the
// way, resolved as the engine resolves names, then the rest of the path with
// backslashes between its parts. The engine's resolver keeps that rest as
// one name, and its relative-path writer splits it at the backslashes again.
std::string savedNameOfMissingFile(const std::string& path, const std::string& folder);

} // namespace sorn
