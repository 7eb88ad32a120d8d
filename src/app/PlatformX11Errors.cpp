#include "app/PlatformX11Errors.h"

#include <algorithm>
#include <vector>

namespace sorn {
namespace platform {

namespace {

std::vector<Display*> ownConnections;
int (*previousErrorHandler)(Display*, XErrorEvent*) = nullptr;
bool handlerInstalled = false;

int ignoreOwnConnectionErrors(Display* display, XErrorEvent* error) {
    if (std::find(ownConnections.begin(), ownConnections.end(), display) != ownConnections.end())
        return 0;
    return previousErrorHandler ? previousErrorHandler(display, error) : 0;
}

} // namespace

void ignoreErrorsOn(Display* display) {
    if (!display)
        return;
    if (!handlerInstalled) {
        previousErrorHandler = XSetErrorHandler(ignoreOwnConnectionErrors);
        handlerInstalled = true;
    }
    if (std::find(ownConnections.begin(), ownConnections.end(), display) == ownConnections.end())
        ownConnections.push_back(display);
}

} // namespace platform
} // namespace sorn
