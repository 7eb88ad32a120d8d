#pragma once
// The X display and window of the engine's device, for the editor's own X11
// calls (icon, caption, close button, keys, clipboard, dropped files).
#include <X11/Xlib.h>
#include <irrlicht.h>

namespace sorn {
namespace platform {

// False (and nothing set) without an OpenGL window: the null driver, tests.
bool x11WindowOf(irr::IrrlichtDevice* device, Display*& display, Window& window);

} // namespace platform
} // namespace sorn
