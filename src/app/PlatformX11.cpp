#include "app/Platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "app/PlatformX11Window.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {
namespace platform {

namespace {
std::string browserCommand = "xdg-open";
const u32 IconSize = 32;

// The close button: the window manager sends a WM_DELETE_WINDOW client
// message. Xlib converts every event arriving from the server through a
// per-type procedure; the editor's one for client messages drops that
// message before it reaches the event queue (and so the engine) and notes it.
Bool (*convertClientMessage)(Display*, XEvent*, xEvent*) = nullptr;
Display* interceptedDisplay = nullptr;
Atom wmProtocols = None;
Atom wmDeleteWindow = None;
bool closeRequested = false;

Bool takeDeleteWindowMessage(Display* display, XEvent* event, xEvent* wire) {
    Bool queued = convertClientMessage(display, event, wire);
    if (queued && event->type == ClientMessage && event->xclient.message_type == wmProtocols &&
        static_cast<Atom>(event->xclient.data.l[0]) == wmDeleteWindow) {
        closeRequested = true;
        return False;
    }
    return queued;
}

} // namespace

bool x11WindowOf(IrrlichtDevice* device, Display*& display, Window& window) {
    if (!device || !device->getVideoDriver() ||
        device->getVideoDriver()->getDriverType() != video::EDT_OPENGL)
        return false;
    const video::SExposedVideoData& data = device->getVideoDriver()->getExposedVideoData();
    display = static_cast<Display*>(data.OpenGLLinux.X11Display);
    window = static_cast<Window>(data.OpenGLLinux.X11Window);
    return display && window;
}

void interceptCloseButton(IrrlichtDevice* device) {
    Display* display = nullptr;
    Window window = 0;
    if (!x11WindowOf(device, display, window) || display == interceptedDisplay)
        return;
    interceptedDisplay = display;
    wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    // XESetWireToEvent takes the display's lock itself.
    convertClientMessage = XESetWireToEvent(display, ClientMessage, takeDeleteWindowMessage);
}

bool takeCloseRequest() {
    const bool requested = closeRequested;
    closeRequested = false;
    return requested;
}

void setWindowIcon(IrrlichtDevice* device, const core::stringw& iconPath) {
    if (!device || !device->getVideoDriver())
        return;
    video::IVideoDriver* driver = device->getVideoDriver();
    Display* display = nullptr;
    Window window = 0;
    if (!x11WindowOf(device, display, window))
        return;

    video::IImage* image = driver->createImageFromFile(narrowPath(iconPath).c_str());
    if (!image)
        return;
    video::IImage* icon = driver->createImage(video::ECF_A8R8G8B8, core::dimension2du(IconSize, IconSize));
    image->copyToScaling(icon);
    image->drop();

    // _NET_WM_ICON: width, height, then ARGB pixels, each as a C long.
    std::vector<unsigned long> property;
    property.reserve(2 + IconSize * IconSize);
    property.push_back(IconSize);
    property.push_back(IconSize);
    for (u32 y = 0; y < IconSize; ++y)
        for (u32 x = 0; x < IconSize; ++x)
            property.push_back(icon->getPixel(x, y).color);
    icon->drop();

    Atom netWmIcon = XInternAtom(display, "_NET_WM_ICON", False);
    XChangeProperty(display, window, netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(property.data()), static_cast<int>(property.size()));
    XFlush(display);
}

bool openInBrowser(const std::string& path) {
    std::string program = browserCommand;
    std::string argument = path;
    char* argv[] = {&program[0], &argument[0], nullptr};

    // Started from a short-lived intermediate process, so the browser opener
    // is never a child the editor has to wait for while the frame loop runs.
    pid_t intermediate = fork();
    if (intermediate < 0)
        return false;
    if (intermediate == 0) {
        pid_t opener = fork();
        if (opener == 0) {
            execvp(argv[0], argv);
            _exit(127);
        }
        _exit(opener < 0 ? 1 : 0);
    }
    int status = 0;
    if (waitpid(intermediate, &status, 0) < 0)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void setBrowserCommand(const std::string& command) {
    browserCommand = command;
}

} // namespace platform
} // namespace sorn
