#include "app/Platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "app/PlatformX11Window.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {
namespace platform {

namespace {
std::string browserCommand = "xdg-open";
// The last browser opener started, until it has been reaped, and what became of it.
pid_t browserOpener = -1;
BrowserOutcome browserStatus = BrowserOutcome::Nothing;
std::vector<pid_t> formerOpeners;
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
    // An opener still running from before is left to finish on its own.
    if (browserOpener > 0)
        formerOpeners.push_back(browserOpener);
    browserOpener = -1;
    browserStatus = BrowserOutcome::Nothing;

    // A pipe closed by a successful exec and written to by a failed one: the
    // editor knows at once whether the opener started, without waiting for it.
    int startPipe[2];
    if (pipe2(startPipe, O_CLOEXEC) != 0)
        return false;
    const pid_t opener = fork();
    if (opener < 0) {
        close(startPipe[0]);
        close(startPipe[1]);
        return false;
    }
    if (opener == 0) {
        close(startPipe[0]);
        execvp(argv[0], argv);
        const int error = errno;
        ssize_t ignored = write(startPipe[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    close(startPipe[1]);
    int error = 0;
    ssize_t got = 0;
    do
        got = read(startPipe[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    close(startPipe[0]);
    if (got > 0) {
        waitpid(opener, nullptr, 0); // it ends right after the failed exec
        return false;
    }
    // Its exit status comes later: browserOutcome reaps it without waiting.
    browserOpener = opener;
    browserStatus = BrowserOutcome::Running;
    return true;
}

BrowserOutcome browserOutcome() {
    // Openers started before the last one are only reaped.
    for (auto it = formerOpeners.begin(); it != formerOpeners.end();)
        it = waitpid(*it, nullptr, WNOHANG) == 0 ? it + 1 : formerOpeners.erase(it);
    if (browserOpener <= 0)
        return browserStatus;
    int status = 0;
    const pid_t ended = waitpid(browserOpener, &status, WNOHANG);
    if (ended == 0)
        return browserStatus;
    // Reaped elsewhere (ECHILD): nothing says it failed.
    const bool failed = ended == browserOpener && !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    browserOpener = -1;
    browserStatus = failed ? BrowserOutcome::Failed : BrowserOutcome::Opened;
    return browserStatus;
}

void setBrowserCommand(const std::string& command) {
    browserCommand = command;
}

} // namespace platform
} // namespace sorn
