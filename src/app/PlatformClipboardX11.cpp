#include "app/Platform.h"
#include "app/PlatformX11Errors.h"
#include "app/PlatformX11Window.h"

#include "app/TextConvert.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <string>
#include <vector>

using namespace irr;

namespace sorn {
namespace platform {

namespace {

struct ClipboardConnection {
    Display* display = nullptr;
    Window window = 0;
    Atom clipboard = None, targets = None, utf8 = None, text = None, incr = None, property = None;
};

ClipboardConnection connection;
std::string heldText;

// A text too large for one property, handed over piece by piece (the INCR
// protocol): each time the requestor deletes the property, the next piece.
struct Transfer {
    Window requestor;
    Atom property;
    Atom type;
    std::string data;
    size_t sent;
};
std::vector<Transfer> transfers;

// What the editor offers other programs: UTF-8, and Latin-1 as STRING
// (characters past it as "?").
std::string latin1Of(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
        } else if ((b == 0xC2 || b == 0xC3) && i + 1 < utf8.size()) {
            out += static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
            i += 2;
        } else {
            out += '?';
            ++i;
            while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return out;
}

std::string utf8OfLatin1(const std::string& latin1) {
    std::string out;
    for (unsigned char b : latin1)
        appendUtf8(out, b);
    return out;
}

bool ownsClipboard() {
    return connection.display && XGetSelectionOwner(connection.display, connection.clipboard) == connection.window;
}

// The largest property written in one request; larger texts go in pieces.
size_t largestProperty() {
    long units = XExtendedMaxRequestSize(connection.display);
    if (units == 0)
        units = XMaxRequestSize(connection.display);
    return static_cast<size_t>(units) * 4 - 256;
}

size_t pieceSize() {
    const size_t largest = largestProperty();
    return largest < (256u << 10) ? largest : (256u << 10);
}

void startTransfer(Window requestor, Atom property, Atom type, std::string data) {
    XSelectInput(connection.display, requestor, PropertyChangeMask);
    long size = static_cast<long>(data.size());
    XChangeProperty(connection.display, requestor, property, connection.incr, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&size), 1);
    transfers.push_back({requestor, property, type, std::move(data), 0});
}

// The requestor took the last piece: the next one, and an empty one to end.
void continueTransfer(const XPropertyEvent& event) {
    if (event.state != PropertyDelete)
        return;
    for (size_t i = 0; i < transfers.size(); ++i) {
        Transfer& transfer = transfers[i];
        if (transfer.requestor != event.window || transfer.property != event.atom)
            continue;
        const size_t left = transfer.data.size() - transfer.sent;
        const size_t piece = left < pieceSize() ? left : pieceSize();
        XChangeProperty(connection.display, transfer.requestor, transfer.property, transfer.type, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(transfer.data.data() + transfer.sent),
                        static_cast<int>(piece));
        transfer.sent += piece;
        if (piece == 0) {
            XSelectInput(connection.display, transfer.requestor, NoEventMask);
            transfers.erase(transfers.begin() + static_cast<long>(i));
        }
        XFlush(connection.display);
        return;
    }
}

void answer(const XSelectionRequestEvent& request) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = request.display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    const Atom property = request.property != None ? request.property : request.target;
    if (request.target == connection.targets) {
        Atom offered[] = {connection.targets, connection.utf8, connection.text, XA_STRING};
        XChangeProperty(connection.display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(offered), 4);
        reply.xselection.property = property;
    } else if (request.target == connection.utf8 || request.target == connection.text || request.target == XA_STRING) {
        const bool utf8 = request.target != XA_STRING;
        std::string data = utf8 ? heldText : latin1Of(heldText);
        const Atom type = utf8 ? connection.utf8 : XA_STRING;
        if (data.size() <= pieceSize())
            XChangeProperty(connection.display, request.requestor, property, type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
        else
            startTransfer(request.requestor, property, type, std::move(data));
        reply.xselection.property = property;
    }
    XSendEvent(connection.display, request.requestor, False, NoEventMask, &reply);
    XFlush(connection.display);
}

using Clock = std::chrono::steady_clock;

// Waits for an event of the given type on the editor's window until the deadline.
bool waitForEvent(int type, XEvent& event, Clock::time_point deadline) {
    while (true) {
        if (XCheckTypedWindowEvent(connection.display, connection.window, type, &event))
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd descriptor{ConnectionNumber(connection.display), POLLIN, 0};
        poll(&descriptor, 1, static_cast<int>(left < 50 ? left : 50));
        XEventsQueued(connection.display, QueuedAfterReading);
    }
}

// Reads and deletes the property; false when there is none.
bool takeProperty(std::string& data, Atom& type) {
    data.clear();
    long offset = 0;
    while (true) {
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char* bytes = nullptr;
        if (XGetWindowProperty(connection.display, connection.window, connection.property, offset, 1 << 20, False,
                               AnyPropertyType, &type, &format, &count, &left, &bytes) != Success)
            return false;
        if (type == None) {
            if (bytes)
                XFree(bytes);
            return false;
        }
        const size_t size = count * static_cast<size_t>(format == 32 ? sizeof(long) : format / 8);
        data.append(reinterpret_cast<const char*>(bytes), size);
        XFree(bytes);
        if (left == 0)
            break;
        offset += static_cast<long>(size / 4);
    }
    XDeleteProperty(connection.display, connection.window, connection.property);
    XFlush(connection.display);
    return true;
}

// Asks the holder for the text as target; an incremental answer is
// gathered piece by piece.
bool requestText(Atom target, std::string& text, Clock::time_point deadline) {
    XDeleteProperty(connection.display, connection.window, connection.property);
    XConvertSelection(connection.display, connection.clipboard, target, connection.property, connection.window,
                      CurrentTime);
    XFlush(connection.display);
    XEvent event;
    if (!waitForEvent(SelectionNotify, event, deadline) || event.xselection.property == None)
        return false;
    Atom type = None;
    std::string data;
    if (!takeProperty(data, type))
        return false;
    if (type != connection.incr) {
        text = data;
        return type == target || type == connection.utf8 || type == XA_STRING;
    }
    text.clear();
    while (true) {
        if (!waitForEvent(PropertyNotify, event, deadline))
            return false;
        if (event.xproperty.atom != connection.property || event.xproperty.state != PropertyNewValue)
            continue;
        if (!takeProperty(data, type))
            return false;
        if (data.empty())
            return true;
        text += data;
    }
}

} // namespace

void useSystemClipboard(IrrlichtDevice* device) {
    Display* engineDisplay = nullptr;
    Window engineWindow = 0;
    if (connection.display || !x11WindowOf(device, engineDisplay, engineWindow))
        return;
    Display* display = XOpenDisplay(DisplayString(engineDisplay));
    if (!display)
        return;
    connection.display = display;
    // A requestor window that vanishes before it is answered is no reason
    // to end the program.
    ignoreErrorsOn(display);
    connection.window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, connection.window, PropertyChangeMask);
    connection.clipboard = XInternAtom(display, "CLIPBOARD", False);
    connection.targets = XInternAtom(display, "TARGETS", False);
    connection.utf8 = XInternAtom(display, "UTF8_STRING", False);
    connection.text = XInternAtom(display, "TEXT", False);
    connection.incr = XInternAtom(display, "INCR", False);
    connection.property = XInternAtom(display, "SORN_CLIPBOARD", False);
    XFlush(display);
}

void setClipboardText(const std::string& text) {
    heldText = text;
    if (!connection.display)
        return;
    XSetSelectionOwner(connection.display, connection.clipboard, connection.window, CurrentTime);
    XFlush(connection.display);
}

std::string clipboardText() {
    if (!connection.display || ownsClipboard())
        return heldText;
    if (XGetSelectionOwner(connection.display, connection.clipboard) == None)
        return std::string();
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(2);
    std::string text;
    if (requestText(connection.utf8, text, deadline))
        return text;
    if (requestText(XA_STRING, text, deadline))
        return utf8OfLatin1(text);
    return std::string();
}

bool clipboardHeld() {
    if (!connection.display)
        return !heldText.empty();
    return XGetSelectionOwner(connection.display, connection.clipboard) != None;
}

void serveClipboard() {
    if (!connection.display)
        return;
    while (XPending(connection.display)) {
        XEvent event;
        XNextEvent(connection.display, &event);
        if (event.type == SelectionRequest)
            answer(event.xselectionrequest);
        else if (event.type == PropertyNotify)
            continueTransfer(event.xproperty);
    }
}

void resetClipboard() {
    heldText.clear();
}

} // namespace platform
} // namespace sorn
