#pragma once
// Files dropped on the window from a file manager, opened as the File and
// Scene menus open them: a scene in place of the current one (after the
// question about unsaved work), a model added to the scene, a game archive
// mounted. A drop that comes while a message or file window is open waits
// until it is closed.
#include <cstddef>
#include <string>

#include "app/UriList.h"

namespace sorn {

enum class DroppedKind { Scene, Model, Archive };

// What a dropped file is, by its extension (as File > Open tells them apart).
DroppedKind droppedKindOf(const std::string& path);

// Queues one drop's files in the order they are opened: archives first (a
// scene's meshes may be inside them), then the first scene (one scene opens
// at a time: further ones of the same drop are left out and said so), then
// the models, which join the scene just opened. Tells on the status line
// what the drop left out.
void queueDroppedFiles(const DroppedFileList& drop);

// Every pass of the frame loop: answers the drag going on over the window
// (platform::serveFileDrops), takes the drops the window received and
// opens queued files while no modal window is open. A scene waits for the
// unsaved-work question; when that is cancelled, the rest of its drop is
// dropped too.
void openDroppedFiles();

// Files still waiting to be opened.
size_t droppedFilesWaiting();

// Forgets every waiting file (a fresh run, a test).
void resetDroppedFiles();

} // namespace sorn
