// sorn-drop-files: drops files on a window as a file manager does, through the
// X11 drag-and-drop protocol (XDND version 5), for the end-to-end tests.
//
//   sorn-drop-files [--list TEXT] [--silent] [--vanish] WINDOW [PATH...]
//
// Sends enter, position and drop to WINDOW (a decimal or 0x window id) with
// the paths as a text/uri-list of file URIs (percent-encoded), or TEXT as
// the list itself. With --silent the source never hands the list over (a
// program that hangs after the drop); with --vanish it goes away right after
// entering the window, its window with it (a program that crashed). Exits 0 when the target finished the
// drop and accepted it, 1 when it refused it, 2 on bad arguments or
// without a display, 3 when the target never answered (10 s).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Atoms {
    Atom aware, enter, position, status, drop, finished, selection, actionCopy, uriList, targets;
};

std::string fileUri(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           std::strchr("/-._~", c);
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

void sendMessage(Display* display, Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

// Hands the list to a requestor of the drop's selection.
void answer(Display* display, const Atoms& atoms, const XSelectionRequestEvent& request, const std::string& list) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    if (request.target == atoms.uriList && request.property != None) {
        XChangeProperty(display, request.requestor, request.property, atoms.uriList, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(list.data()), static_cast<int>(list.size()));
        reply.xselection.property = request.property;
    } else if (request.target == atoms.targets && request.property != None) {
        Atom offered[] = {atoms.targets, atoms.uriList};
        XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(offered), 2);
        reply.xselection.property = request.property;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

bool nextEvent(Display* display, XEvent& event, Clock::time_point deadline) {
    while (!XPending(display)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        poll(&descriptor, 1, static_cast<int>(left < 100 ? left : 100));
    }
    XNextEvent(display, &event);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string list;
    bool givenList = false, silent = false, vanish = false;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (std::strcmp(argv[i], "--silent") == 0) {
            silent = true;
        } else if (std::strcmp(argv[i], "--vanish") == 0) {
            vanish = true;
        } else if (std::strcmp(argv[i], "--list") == 0 && i + 1 < argc) {
            list = argv[++i];
            givenList = true;
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: %s [--list TEXT] [--silent] [--vanish] WINDOW [PATH...]\n", argv[0]);
        return 2;
    }
    const Window target = static_cast<Window>(std::strtoul(argv[i++], nullptr, 0));
    if (!givenList)
        for (; i < argc; ++i)
            list += fileUri(argv[i]) + "\r\n";

    Display* display = XOpenDisplay(nullptr);
    if (!display || !target) {
        std::fprintf(stderr, "no display or no window\n");
        return 2;
    }
    Atoms atoms{};
    atoms.aware = XInternAtom(display, "XdndAware", False);
    atoms.enter = XInternAtom(display, "XdndEnter", False);
    atoms.position = XInternAtom(display, "XdndPosition", False);
    atoms.status = XInternAtom(display, "XdndStatus", False);
    atoms.drop = XInternAtom(display, "XdndDrop", False);
    atoms.finished = XInternAtom(display, "XdndFinished", False);
    atoms.selection = XInternAtom(display, "XdndSelection", False);
    atoms.actionCopy = XInternAtom(display, "XdndActionCopy", False);
    atoms.uriList = XInternAtom(display, "text/uri-list", False);
    atoms.targets = XInternAtom(display, "TARGETS", False);

    // The target must say it takes drops, and which version.
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    long version = 0;
    if (XGetWindowProperty(display, target, atoms.aware, 0, 1, False, XA_ATOM, &type, &format, &count, &left,
                           &data) == Success &&
        data && count == 1)
        version = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    if (version < 5) {
        std::fprintf(stderr, "the window takes no drops (XdndAware %ld)\n", version);
        return 1;
    }

    const Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atoms.selection, source, CurrentTime);

    // The pointer over the middle of the window, in root coordinates.
    XWindowAttributes attributes;
    XGetWindowAttributes(display, target, &attributes);
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, target, DefaultRootWindow(display), attributes.width / 2, attributes.height / 2,
                          &rootX, &rootY, &child);

    sendMessage(display, target, atoms.enter, static_cast<long>(source), 5L << 24, static_cast<long>(atoms.uriList),
                0, 0);
    sendMessage(display, target, atoms.position, static_cast<long>(source), 0, (rootX << 16) | (rootY & 0xffff),
                CurrentTime, static_cast<long>(atoms.actionCopy));
    if (vanish) {
        XCloseDisplay(display);
        return 0;
    }

    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    bool dropped = false;
    XEvent event;
    while (nextEvent(display, event, deadline)) {
        if (event.type == ClientMessage && event.xclient.message_type == atoms.status && !dropped) {
            if (!(event.xclient.data.l[1] & 1)) {
                std::fprintf(stderr, "the window refused the drag\n");
                return 1;
            }
            sendMessage(display, target, atoms.drop, static_cast<long>(source), 0, CurrentTime, 0, 0);
            dropped = true;
        } else if (event.type == SelectionRequest && !silent) {
            answer(display, atoms, event.xselectionrequest, list);
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
            const bool accepted = (event.xclient.data.l[1] & 1) != 0;
            std::printf("finished %s\n", accepted ? "accepted" : "refused");
            XCloseDisplay(display);
            return accepted ? 0 : 1;
        }
    }
    std::fprintf(stderr, "the window did not answer\n");
    XCloseDisplay(display);
    return 3;
}
