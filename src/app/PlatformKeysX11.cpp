#include "app/PlatformKeys.h"
#include "app/PlatformX11Window.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace irr;

namespace sorn {
namespace platform {

namespace {

// The Alt keys of the display, found before the queue is scanned: the scan's
// predicate runs with the display locked and may call no Xlib function.
struct AltKeys {
    KeyCode codes[4] = {};
    // Filled by the scan: the first Alt event still waiting in the queue.
    int firstAltEvent = 0; // 0 none, else KeyPress or KeyRelease
};

Bool noteFirstAltEvent(Display*, XEvent* event, XPointer data) {
    auto* keys = reinterpret_cast<AltKeys*>(data);
    if (keys->firstAltEvent || (event->type != KeyPress && event->type != KeyRelease))
        return False;
    for (KeyCode code : keys->codes)
        if (code && event->xkey.keycode == code)
            keys->firstAltEvent = event->type;
    return False; // nothing is taken out of the queue
}

} // namespace

bool altHeld(IrrlichtDevice* device, bool& known) {
    known = false;
    Display* display = nullptr;
    Window window = 0;
    if (!x11WindowOf(device, display, window))
        return false;
    known = true;
    // The engine hands its events over one at a time while the later ones
    // wait in Xlib's queue, and a quick Alt+S is often let go at the server
    // before the S is handed over. So the first Alt event still waiting
    // tells how Alt was at the event being handled: a release, held; a
    // press, not held.
    AltKeys keys;
    const KeySym altSyms[4] = {XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R};
    for (int i = 0; i < 4; ++i)
        keys.codes[i] = XKeysymToKeycode(display, altSyms[i]);
    XEvent unused;
    XCheckIfEvent(display, &unused, noteFirstAltEvent, reinterpret_cast<XPointer>(&keys));
    if (keys.firstAltEvent)
        return keys.firstAltEvent == KeyRelease;
    // No Alt event waits: Alt is as the server has it now. The pointer query
    // reports the modifier mask even with the pointer on another screen.
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    return (mask & Mod1Mask) != 0;
}

} // namespace platform
} // namespace sorn
