#pragma once
#include <irrlicht.h>

namespace sorn {

// Start-up: creates the device with the given receiver and builds the editor
// (configuration, language, skin, menus, default scene, start-up file, cameras).
// False when the device cannot be created; nothing else is then made.
bool startEditor(int argc, char** argv, irr::video::E_DRIVER_TYPE driverType,
                 irr::IEventReceiver* receiver);

// One pass of the frame loop, given whether the window has the focus and is active.
void runFramePass(bool windowFocused, bool windowActive);

// Runs passes while the device runs.
void runFrameLoop();

// Drops the device and puts the editor-wide state back to its initial values.
void shutdownEditor();

// The program: start-up, frame loop, shutdown. 1 when the device cannot be created.
int runEditor(int argc, char** argv);

} // namespace sorn
