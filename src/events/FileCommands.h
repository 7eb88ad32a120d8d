#pragma once
// The scene's own file: File > Save writes there without asking, Save as
// asks where, File > Recent reopens the scenes opened or saved last, the
// File shortcuts, and the window caption that names the file and shows a
// "*" while there is unsaved work.
#include <irrlicht.h>
#include <string>

namespace sorn {

// File > Save: a scene with a file is written there at once (the atomic
// save, no window) and marked saved; a scene without one opens the save
// window. False only when a write failed: the message then says why and the
// scene keeps its unsaved mark.
bool saveScene();
// File > Save as: the save window.
void saveSceneAs();

// Writes the scene to path with the atomic save. Written: path becomes the
// scene's file and joins the recent list; true. Not written: a message
// names the file and says why; false. Marking the history saved is the
// caller's (onSceneSaved), once its window is out of the way.
bool writeSceneTo(const std::string& path);

// The scene now comes from path (a scene opened or saved), or has no file
// (empty: a new scene, a model opened in place of the scene).
void setSceneFile(const std::string& path);

// File > Save, Save as and the recent entries. Returns whether the command
// was one of them.
bool handleFileMenuCommand(irr::s32 command);

// The recent entry at index (0 is the newest): a file no longer there is
// taken off the list with a message naming it; otherwise, after the unsaved
// changes question, it is opened as File > Open opens a scene.
void openRecentSceneFile(size_t index);

// Ctrl+S saves, Ctrl+Shift+S saves as, Ctrl+O opens, Ctrl+N starts a new
// scene; they act when the key goes down and their release is taken, so
// the S, O and N keys' own commands never run for them. Returns whether the
// key was such a chord.
bool handleFileKey(const irr::SEvent::SKeyInput& key);

// The window caption for a scene file and unsaved mark: "*level1.irr - "
// followed by the title ("Sorn Editor 0.3 Beta - [driver]"); without a file
// the title alone, after the "*" when there is unsaved work.
irr::core::stringw sceneCaption(const std::string& sceneFile, bool unsaved, const irr::core::stringw& title);
// Called by every frame pass: writes the caption only when the scene's file
// or its unsaved mark changed since it was last written.
void showSceneInCaption();

} // namespace sorn
