#include "app/Platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "app/PlatformX11Window.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {
namespace platform {

void setWindowCaption(IrrlichtDevice* device, const core::stringw& caption) {
    if (!device)
        return;
    device->setWindowCaption(caption.c_str());
    Display* display = nullptr;
    Window window = 0;
    if (!x11WindowOf(device, display, window))
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
