#include "app/PlatformKeys.h"

#include <X11/Xlib.h>

using namespace irr;

namespace sorn {
namespace platform {

bool altHeld(IrrlichtDevice* device, bool& known) {
    known = false;
    if (!device || !device->getVideoDriver() || device->getVideoDriver()->getDriverType() != video::EDT_OPENGL)
        return false;
    const video::SExposedVideoData& data = device->getVideoDriver()->getExposedVideoData();
    auto* display = static_cast<Display*>(data.OpenGLLinux.X11Display);
    const auto window = static_cast<Window>(data.OpenGLLinux.X11Window);
    if (!display || !window)
        return false;
    // The pointer query reports the modifier mask even when the pointer is on
    // another screen (it then returns False).
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    known = true;
    return (mask & Mod1Mask) != 0;
}

} // namespace platform
} // namespace sorn
