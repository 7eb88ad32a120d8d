#pragma once
// Files dropped on the editor's window from a file manager: the X11
// drag-and-drop protocol (XDND, version 5) on the window the video driver
// exposes. The window says it takes text/uri-list with the copy action; a
// dropped list is fetched through an X connection and window of the
// editor's own and kept until the frame loop takes it.
#include <irrlicht.h>
#include <vector>

#include "app/UriList.h"

namespace sorn {
namespace platform {

// Marks the device's window as a drop target and starts taking the drag
// messages sent to it away from the engine's event queue. Does nothing
// without an X11 window (the null driver, tests).
void acceptFileDrops(irr::IrrlichtDevice* device);
// Answers the program dragging over the window and fetches dropped lists;
// called every pass of the frame loop, active or not. Never waits: a list
// that has not arrived about two seconds after its drop is given up.
void serveFileDrops();
// The drops received since the last call, oldest first.
std::vector<DroppedFileList> takeFileDrops();
// Forgets drops not taken yet (a fresh run, a test).
void resetFileDrops();

} // namespace platform
} // namespace sorn
