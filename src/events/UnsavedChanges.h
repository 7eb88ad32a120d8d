#pragma once
// Unsaved work is never thrown away without asking: New, Open scene and Quit
// (and the window's close button) first ask whether to save, discard or
// cancel when the scene changed since it was opened, saved or created.
#include <irrlicht.h>
#include <string>

#include <functional>

namespace sorn {

enum class SceneAction { NewScene, OpenScene, Quit, Given };

// Runs the action at once when there is nothing unsaved; otherwise shows the
// question, and the answer decides.
void runAfterUnsavedCheck(SceneAction action);
// Opens the file as File > Open opens what its dialog chose, after the same
// question (File > Recent).
void openFileAfterUnsavedCheck(const std::string& path);
// The same for an action of the caller's (a scene file dropped on the window
// opened in place of the current one).
void runAfterUnsavedCheck(std::function<void()> action);
// Whether the question, or the save it led to, is still open.
bool unsavedCheckWaiting();

// The answer given in the question box (its yes, no or cancel event):
// save writes the scene to its file (or, without one, opens the save
// window) and runs the action once the file is written;
// discard runs it now; cancel leaves everything as it was.
void onUnsavedChangesAnswer(irr::gui::EGUI_EVENT_TYPE answer);

// The save window wrote the scene: the scene has no unsaved changes, and an
// action waiting for that save runs now.
void onSceneSaved();
// The save window closed without writing: the waiting action is dropped.
void onSaveAbandoned();

// Forgets any waiting action (a new device, a test).
void resetUnsavedChanges();

} // namespace sorn
