#pragma once
// The editor's own part of the scene (default sky box, ground grid, gizmo),
// built once at start-up, and the scene clearing that keeps it.

namespace sorn {

// Loads the default sky box and sky dome textures, then builds the default scene.
void loadDefaultScene();
// Default sky box, the 2000 x 2000 grid with spacing 100, then the gizmo.
void buildDefaultScene();
// "Sorn::SkyBox": editor.defaultSkyBoxTexture on all six faces (none if it failed to load).
void addDefaultSkyBox();
// Queues every root child that is not a debug object for deletion at the next draw.
void clearScene();
// The scene's part of the new-scene command (startNewScene): empties the
// scene, resets the grid and asks the frame loop to rebuild the scene box and
// the name index. The selection is the caller's to drop.
void newScene();

} // namespace sorn
