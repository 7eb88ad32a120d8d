#pragma once
// X errors on the editor's own X connections (clipboard, dropped files) are
// expected: a peer window may vanish while it is being answered. Xlib's
// default handler ends the program on any error, so errors on those
// connections are ignored; errors on every other connection go to the
// handler that was in force before.
#include <X11/Xlib.h>

namespace sorn {
namespace platform {

// Adds a connection of the editor's own, kept open for the whole run, to
// those whose errors are ignored.
void ignoreErrorsOn(Display* display);

} // namespace platform
} // namespace sorn
