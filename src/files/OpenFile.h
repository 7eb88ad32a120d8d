#pragma once
// Bringing a file into the editor, by its extension: a game archive is
// mounted into the engine's file system, a ".irr" scene is loaded into the
// current scene graph, anything else is loaded as a model and added as a node.
#include <string>

#include "files/FileRefusal.h"
#include "files/ScannedSceneFile.h"

namespace sorn {

// Opens path (a narrow file name) as described above; animated chooses an
// animated mesh node (30 frames per second) over a static one. Files that
// cannot be used (missing, unreadable, not a regular file, too large, a scene
// the scan refuses, no mesh the engine can read) add nothing and write nothing.
// True when an archive was mounted, a scene loaded or a node added.
// Otherwise why (when given) says what went wrong; None there means a
// message box has told it already (a file the file check refused, a scene's
// own refusal). Requests no refresh: the callers do.
bool openFile(const std::string& path, bool animated, FileRefusal* why = nullptr);

// Model files larger than this are refused: the engine's model loaders hold
// the whole file in memory, several times over. Scenes have their own bound
// (kMaxSceneFileSize): what the engine's XML reader can hold.
constexpr unsigned long long kMaxOpenFileSize = 512ull << 20;

// Whether the path names a game archive (".pk3", ".zip", ".pak", ".npk").
bool isArchiveFile(const std::string& path);

// Why a file other than a scene cannot be opened at all (missing, not a
// regular file, unreadable, too large, a model of a kind no mesh loader
// takes), or None.
FileRefusal openableFileRefusal(const std::string& path);

// Lets the file check see every mesh, texture and height map the scanned
// scene names (relative names looked for in folder first, when given); false,
// with the refusal told in a message box, when one of them must not be loaded.
// Otherwise the missing meshes and textures get their placeholders
// (files/MissingReferences.h): finishMissingReferences follows the load.
bool admitSceneReferences(const SceneScan& scan, const std::string& folder);

// Loads the scene at path under root, the file read once (ScannedSceneFile.h):
// gate (may be empty) runs once the scan accepted the text and before the
// engine parses it; what the engine's reader drops is given back after it.
// True when the scene was loaded. Otherwise nothing was made and why says
// why: the scan's refusal, or None when the gate said no (and told it).
// hook (may be empty) hears each referenced file as the scan meets it.
bool loadSceneInOnePass(const std::string& path, irr::scene::ISceneNode* root, const SceneGate& gate,
                        FileRefusal& why, const SceneReferenceHook& hook = nullptr);
// The same over a text already open (a text held in memory); takes over the
// caller's reference to source.
bool loadSceneTextInOnePass(irr::io::IReadFile* source, irr::scene::ISceneNode* root, const SceneGate& gate,
                            FileRefusal& why, const SceneReferenceHook& hook = nullptr);

// Told of each file a scene being opened names, as soon as the scan meets
// it; folder is where its relative names are looked for first (empty: the
// working directory). It starts the file's check; admitSceneReferences
// collects the verdicts once the scan has ended.
SceneReferenceHook sceneReferenceHook(const std::string& folder);

} // namespace sorn
