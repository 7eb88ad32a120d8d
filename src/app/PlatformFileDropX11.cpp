#include "app/FileDrop.h"
#include "app/PlatformX11Errors.h"
#include "app/PlatformX11Window.h"

#include <unistd.h>

#include <chrono>
#include <string>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
// For XESetWireToEvent; it defines min and max as macros, so it comes last.
#include <X11/Xlibint.h>
#undef min
#undef max

using namespace irr;

namespace sorn {
namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

const long kXdndVersion = 5;
// A dropped list larger than this is refused: 256 files of long names fit.
const long kMaxListBytes = 4 << 20;
// Drag messages kept between two passes; a source flooding the window loses the rest.
const size_t kMaxPendingMessages = 256;
const auto kFetchDeadline = std::chrono::seconds(2);

struct DropAtoms {
    Atom aware = None, enter = None, position = None, status = None, leave = None, drop = None, finished = None;
    Atom selection = None, typeList = None, actionCopy = None, uriList = None, property = None, incr = None;
};

// The drag messages arrive on the engine's connection; they are answered and
// the list is fetched on a connection of the editor's own.
struct DropConnection {
    Display* display = nullptr;
    Window requestor = 0;
};

// The drag going on over the window.
struct DragSession {
    Window source = 0;
    Window target = 0;
    bool offersUriList = false;
    bool fetching = false;
    Clock::time_point deadline;
};

DropAtoms atoms;
DropConnection own;
Display* engineDisplay = nullptr;
Window editorWindow = 0;
Bool (*convertClientMessage)(Display*, XEvent*, xEvent*) = nullptr;
std::vector<XClientMessageEvent> pendingMessages;
DragSession session;
std::vector<DroppedFileList> received;


bool isDragMessage(Atom type) {
    return type == atoms.enter || type == atoms.position || type == atoms.leave || type == atoms.drop;
}

// Runs inside Xlib with the engine's display locked: only notes the message.
// The engine never sees drag messages (it would take them for user events).
Bool takeDragMessage(Display* display, XEvent* event, xEvent* wire) {
    Bool queued = convertClientMessage(display, event, wire);
    if (!queued || event->type != ClientMessage || event->xclient.window != editorWindow ||
        !isDragMessage(event->xclient.message_type))
        return queued;
    if (pendingMessages.size() < kMaxPendingMessages)
        pendingMessages.push_back(event->xclient);
    return False;
}

void sendToSource(Window source, Atom type, long l1, long l2, long l3, long l4) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.display = own.display;
    message.xclient.window = source;
    message.xclient.message_type = type;
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(session.target ? session.target : editorWindow);
    message.xclient.data.l[1] = l1;
    message.xclient.data.l[2] = l2;
    message.xclient.data.l[3] = l3;
    message.xclient.data.l[4] = l4;
    XSendEvent(own.display, source, False, NoEventMask, &message);
    XFlush(own.display);
}

void finishDrop(bool accepted) {
    sendToSource(session.source, atoms.finished, accepted ? 1 : 0,
                 accepted ? static_cast<long>(atoms.actionCopy) : static_cast<long>(None), 0, 0);
    session = DragSession();
}

void noteFailedDrop() {
    DroppedFileList failed;
    failed.transferFailed = true;
    received.push_back(failed);
}

// Whether the source offers text/uri-list: among the three types of its
// enter message, or in its XdndTypeList property when it has more.
bool offersUriList(const XClientMessageEvent& enter) {
    if (!(enter.data.l[1] & 1)) {
        for (int i = 2; i <= 4; ++i)
            if (static_cast<Atom>(enter.data.l[i]) == atoms.uriList)
                return true;
        return false;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(own.display, static_cast<Window>(enter.data.l[0]), atoms.typeList, 0, 256, False,
                           XA_ATOM, &type, &format, &count, &left, &data) == Success &&
        type == XA_ATOM && format == 32 && data) {
        const Atom* types = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = types[i] == atoms.uriList;
    }
    if (data)
        XFree(data);
    return found;
}

bool dropAccepted() {
    return session.source && session.offersUriList && !session.fetching;
}

void onDragMessage(const XClientMessageEvent& message) {
    const Window source = static_cast<Window>(message.data.l[0]);
    if (message.message_type == atoms.enter) {
        // A new drag replaces one whose source vanished without leaving;
        // a list being fetched is finished first.
        if (session.fetching)
            return;
        session = DragSession();
        session.source = source;
        session.target = message.window;
        session.offersUriList = (message.data.l[1] >> 24) >= 1 && offersUriList(message);
        return;
    }
    if (source != session.source || !source)
        return;
    if (message.message_type == atoms.position) {
        const bool accept = dropAccepted();
        // An empty rectangle: positions keep coming wherever the pointer goes.
        sendToSource(source, atoms.status, accept ? 3 : 2, 0, 0,
                     accept ? static_cast<long>(atoms.actionCopy) : static_cast<long>(None));
    } else if (message.message_type == atoms.leave) {
        if (!session.fetching)
            session = DragSession();
    } else if (message.message_type == atoms.drop) {
        if (!dropAccepted()) {
            if (!session.fetching)
                finishDrop(false);
            return;
        }
        XDeleteProperty(own.display, own.requestor, atoms.property);
        XConvertSelection(own.display, atoms.selection, atoms.uriList, atoms.property, own.requestor,
                          static_cast<Time>(message.data.l[2]));
        XFlush(own.display);
        session.fetching = true;
        session.deadline = Clock::now() + kFetchDeadline;
    }
}

std::string localHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0)
        return std::string();
    return name;
}

// The list the source wrote on the requestor window; false when there is
// none, it is not text, it comes in pieces (INCR) or it is too large.
bool takeList(std::string& list) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(own.display, own.requestor, atoms.property, 0, kMaxListBytes / 4, True,
                                          AnyPropertyType, &type, &format, &count, &left, &data);
    const bool usable = status == Success && data && format == 8 && left == 0 && type != atoms.incr;
    if (usable)
        list.assign(reinterpret_cast<const char*>(data), count);
    if (data)
        XFree(data);
    if (status == Success && (left != 0 || type == atoms.incr))
        XDeleteProperty(own.display, own.requestor, atoms.property);
    return usable;
}

void checkFetchedList() {
    XEvent event;
    while (XCheckTypedWindowEvent(own.display, own.requestor, SelectionNotify, &event)) {
        if (!session.fetching || event.xselection.selection != atoms.selection)
            continue;
        std::string list;
        if (event.xselection.property != None && takeList(list)) {
            received.push_back(decodeUriList(list, localHostName()));
            finishDrop(true);
        } else {
            noteFailedDrop();
            finishDrop(false);
        }
        return;
    }
    if (session.fetching && Clock::now() >= session.deadline) {
        // The source never answered: the drop is given up, the window free again.
        noteFailedDrop();
        finishDrop(false);
    }
}

} // namespace

void acceptFileDrops(IrrlichtDevice* device) {
    Display* display = nullptr;
    Window window = 0;
    if (!x11WindowOf(device, display, window) || display == engineDisplay)
        return;
    Display* ownDisplay = XOpenDisplay(DisplayString(display));
    if (!ownDisplay)
        return;
    own.display = ownDisplay;
    // A source window that vanishes mid-drag is no reason to end the program.
    ignoreErrorsOn(ownDisplay);
    own.requestor = XCreateSimpleWindow(ownDisplay, DefaultRootWindow(ownDisplay), 0, 0, 1, 1, 0, 0, 0);
    const char* names[] = {"XdndAware",     "XdndEnter",    "XdndPosition",   "XdndStatus",
                           "XdndLeave",     "XdndDrop",     "XdndFinished",   "XdndSelection",
                           "XdndTypeList",  "XdndActionCopy", "text/uri-list", "SORN_DROP", "INCR"};
    Atom* slots[] = {&atoms.aware,    &atoms.enter, &atoms.position,
                     &atoms.status,   &atoms.leave, &atoms.drop, &atoms.finished, &atoms.selection,
                     &atoms.typeList, &atoms.actionCopy, &atoms.uriList, &atoms.property, &atoms.incr};
    for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i)
        *slots[i] = XInternAtom(ownDisplay, names[i], False);

    long version = kXdndVersion;
    XChangeProperty(ownDisplay, window, atoms.aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&version), 1);
    XFlush(ownDisplay);

    engineDisplay = display;
    editorWindow = window;
    // Chained after the close-button handling, which keeps its own message.
    convertClientMessage = XESetWireToEvent(display, ClientMessage, takeDragMessage);
}

void serveFileDrops() {
    if (!own.display)
        return;
    // Taken before the work: answering may not add to the list being read.
    std::vector<XClientMessageEvent> messages;
    messages.swap(pendingMessages);
    for (const XClientMessageEvent& message : messages)
        onDragMessage(message);
    if (session.fetching)
        checkFetchedList();
    // Nothing else is asked for on this connection: whatever came is dropped.
    while (XPending(own.display)) {
        XEvent event;
        XPeekEvent(own.display, &event);
        if (event.type == SelectionNotify && session.fetching)
            break;
        XNextEvent(own.display, &event);
    }
}

std::vector<DroppedFileList> takeFileDrops() {
    std::vector<DroppedFileList> drops;
    drops.swap(received);
    return drops;
}

void resetFileDrops() {
    received.clear();
}

} // namespace platform
} // namespace sorn
