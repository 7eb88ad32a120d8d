#include "app/Platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "app/TextConvert.h"

using namespace irr;

namespace sorn {
namespace platform {

namespace {
std::string browserCommand = "xdg-open";
const u32 IconSize = 32;
} // namespace

void setWindowIcon(IrrlichtDevice* device, const core::stringw& iconPath) {
    if (!device || !device->getVideoDriver())
        return;
    video::IVideoDriver* driver = device->getVideoDriver();
    const video::SExposedVideoData& data = driver->getExposedVideoData();
    Display* display = static_cast<Display*>(data.OpenGLLinux.X11Display);
    Window window = static_cast<Window>(data.OpenGLLinux.X11Window);
    if (driver->getDriverType() != video::EDT_OPENGL || !display || !window)
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
