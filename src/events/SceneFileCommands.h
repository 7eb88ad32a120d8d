#pragma once
// What the editor does with a file chosen in its open dialogs: open a scene
// in place of the current one, or add a model to it.
#include <irrlicht.h>
#include <string>

namespace sorn {

// New scene: the default scene (see newScene), with nothing selected and no
// missing file names kept from the scene before. The scene layer leaves the
// selection and the missing names to this command: both live above it.
void startNewScene();

// Open-scene dialog and the file named on the command line: checks the file
// first (a scene as it is read, before the engine parses it), and when it
// cannot be opened shows why and leaves the scene as it is. Otherwise empties
// the scene (the editor's own nodes stay), drops the selection, resets the
// grid, moves the working directory to the file's folder (so the scene's
// relative mesh and texture paths resolve), opens the file and asks for the
// scene box and name index refreshes.
// The path is the narrow file name, or the wide name the dialog reports.
void openSceneFromDialog(const std::string& path);
void openSceneFromDialog(const irr::core::stringw& path);

// Add-model dialogs: drops the selection, adds the model (an animated node
// when animated is set), rebuilds the scene box tree and asks for the name
// index refresh.
void addModelFromDialog(const std::string& path, bool animated);
void addModelFromDialog(const irr::core::stringw& path, bool animated);

} // namespace sorn
