#include "app/Platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "app/TextConvert.h"

using namespace irr;

namespace sorn {
namespace platform {

void setWindowCaption(IrrlichtDevice* device, const core::stringw& caption) {
    if (!device)
        return;
    device->setWindowCaption(caption.c_str());
    video::IVideoDriver* driver = device->getVideoDriver();
    if (!driver || driver->getDriverType() != video::EDT_OPENGL)
        return;
    const video::SExposedVideoData& data = driver->getExposedVideoData();
    Display* display = static_cast<Display*>(data.OpenGLLinux.X11Display);
    const Window window = static_cast<Window>(data.OpenGLLinux.X11Window);
    if (!display || !window)
        return;
    std::string utf8;
    for (u32 i = 0; i < caption.size(); ++i)
        appendUtf8(utf8, static_cast<std::uint32_t>(caption[i]));
    const Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const int length = static_cast<int>(utf8.size());
    for (const char* property : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"})
        XChangeProperty(display, window, XInternAtom(display, property, False), utf8String, 8, PropModeReplace,
                        bytes, length);
    XChangeProperty(display, window, XA_WM_NAME, utf8String, 8, PropModeReplace, bytes, length);
    XFlush(display);
}

} // namespace platform
} // namespace sorn
