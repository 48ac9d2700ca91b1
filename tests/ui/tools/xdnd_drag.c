/* A drag source for the window tests: a separate X client that drags data onto the
 * window under a point of the screen with the XDND protocol, as a file manager does.
 *
 *   xdnd_drag X Y TYPE DATA [TYPE DATA]...
 *
 * X and Y are root coordinates; every TYPE (a MIME type such as text/uri-list) is offered
 * with its DATA, in the order given. The program enters the window under the point,
 * sends one position, drops when the window accepts (leaves otherwise), serves the
 * window's data requests and waits for the end of the drop. It prints one line a fact:
 *
 *   target 0x1a00003          (or "target none")
 *   status accept=1
 *   requested text/uri-list   (one line per request)
 *   finished accept=1
 *
 * Exit status: 0 when the exchange ran to its end (accepted or not), 2 without a
 * target, 3 when the window stopped answering (every wait is bounded). */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

enum { kMaxTypes = 8, kWaitMs = 10000 };

static Display* dpy;
static Window source;
static Atom aAware, aEnter, aPosition, aStatus, aLeave, aDrop, aFinished, aSelection, aTypeList,
    aActionCopy, aTargets;
static Atom types[kMaxTypes];
static const char* typeData[kMaxTypes];
static int typeCount;

static long NowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}

/* The next event, or 0 when the deadline passes first. */
static int NextEvent(XEvent* event, long deadline) {
    while (!XPending(dpy)) {
        const long left = deadline - NowMs();
        if (left <= 0) return 0;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(dpy), &fds);
        struct timeval tv = {left / 1000, (left % 1000) * 1000};
        select(ConnectionNumber(dpy) + 1, &fds, NULL, NULL, &tv);
    }
    XNextEvent(dpy, event);
    return 1;
}

/* A server time stamp: the time of a property change on our own window. */
static Time ServerTime(void) {
    XSelectInput(dpy, source, PropertyChangeMask);
    const unsigned char none = 0;
    XChangeProperty(dpy, source, XA_WM_NAME, XA_STRING, 8, PropModeAppend, &none, 0);
    XEvent event;
    const long deadline = NowMs() + kWaitMs;
    while (NextEvent(&event, deadline))
        if (event.type == PropertyNotify && event.xproperty.window == source)
            return event.xproperty.time;
    return CurrentTime;
}

/* The XDND version a window declares, 0 for none. */
static int AwareVersion(Window window) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    int version = 0;
    if (XGetWindowProperty(dpy, window, aAware, 0, 1, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_ATOM && count == 1 && data)
        version = (int)*(Atom*)data;
    if (data) XFree(data);
    return version;
}

/* The deepest window under the point that declares XDND, walking down from the root
 * through the window manager's frames. */
static Window FindTarget(int x, int y, int* version) {
    Window root = DefaultRootWindow(dpy), window = root, found = None;
    for (;;) {
        if (window != root) {
            const int v = AwareVersion(window);
            if (v > 0) {
                found = window;
                *version = v;
            }
        }
        int cx, cy;
        Window child = None;
        if (!XTranslateCoordinates(dpy, root, window, x, y, &cx, &cy, &child) || child == None)
            break;
        window = child;
    }
    return found;
}

static void Send(Window target, Atom message, long l0, long l1, long l2, long l3, long l4) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.display = dpy;
    event.xclient.window = target;
    event.xclient.message_type = message;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(dpy, target, False, NoEventMask, &event);
    XFlush(dpy);
}

/* Answers a request for the drag data. */
static void Serve(const XSelectionRequestEvent* request) {
    XEvent reply;
    memset(&reply, 0, sizeof reply);
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = dpy;
    reply.xselection.requestor = request->requestor;
    reply.xselection.selection = request->selection;
    reply.xselection.target = request->target;
    reply.xselection.time = request->time;
    reply.xselection.property = None;
    const Atom property = request->property != None ? request->property : request->target;
    if (request->selection == aSelection) {
        if (request->target == aTargets) {
            XChangeProperty(dpy, request->requestor, property, XA_ATOM, 32, PropModeReplace,
                            (const unsigned char*)types, typeCount);
            reply.xselection.property = property;
        } else {
            char* name = XGetAtomName(dpy, request->target);
            printf("requested %s\n", name ? name : "?");
            if (name) XFree(name);
            for (int i = 0; i < typeCount; ++i)
                if (types[i] == request->target) {
                    XChangeProperty(dpy, request->requestor, property, request->target, 8,
                                    PropModeReplace, (const unsigned char*)typeData[i],
                                    (int)strlen(typeData[i]));
                    reply.xselection.property = property;
                }
        }
    }
    XSendEvent(dpy, request->requestor, False, NoEventMask, &reply);
    XFlush(dpy);
}

int main(int argc, char** argv) {
    if (argc < 5 || (argc - 3) % 2 != 0 || (argc - 3) / 2 > kMaxTypes) {
        fprintf(stderr, "usage: xdnd_drag X Y TYPE DATA [TYPE DATA]...\n");
        return 1;
    }
    setvbuf(stdout, NULL, _IOLBF, 0);
    dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "xdnd_drag: no display\n");
        return 1;
    }
    const int x = atoi(argv[1]), y = atoi(argv[2]);
    aAware = XInternAtom(dpy, "XdndAware", False);
    aEnter = XInternAtom(dpy, "XdndEnter", False);
    aPosition = XInternAtom(dpy, "XdndPosition", False);
    aStatus = XInternAtom(dpy, "XdndStatus", False);
    aLeave = XInternAtom(dpy, "XdndLeave", False);
    aDrop = XInternAtom(dpy, "XdndDrop", False);
    aFinished = XInternAtom(dpy, "XdndFinished", False);
    aSelection = XInternAtom(dpy, "XdndSelection", False);
    aTypeList = XInternAtom(dpy, "XdndTypeList", False);
    aActionCopy = XInternAtom(dpy, "XdndActionCopy", False);
    aTargets = XInternAtom(dpy, "TARGETS", False);
    for (int i = 3; i + 1 < argc; i += 2) {
        types[typeCount] = XInternAtom(dpy, argv[i], False);
        typeData[typeCount] = argv[i + 1];
        ++typeCount;
    }

    source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), -10, -10, 1, 1, 0, 0, 0);
    const Time stamp = ServerTime();
    int version = 0;
    const Window target = FindTarget(x, y, &version);
    if (target == None) {
        printf("target none\n");
        return 2;
    }
    printf("target 0x%lx\n", (unsigned long)target);
    if (version > 5) version = 5;

    XChangeProperty(dpy, source, aTypeList, XA_ATOM, 32, PropModeReplace,
                    (const unsigned char*)types, typeCount);
    XSetSelectionOwner(dpy, aSelection, source, stamp);
    Send(target, aEnter, (long)source, ((long)version << 24) | (typeCount > 3 ? 1 : 0),
         typeCount > 0 ? (long)types[0] : 0, typeCount > 1 ? (long)types[1] : 0,
         typeCount > 2 ? (long)types[2] : 0);
    Send(target, aPosition, (long)source, 0, ((long)x << 16) | (y & 0xFFFF), (long)stamp,
         (long)aActionCopy);

    enum { kAwaitStatus, kAwaitFinished } stage = kAwaitStatus;
    long deadline = NowMs() + kWaitMs;
    XEvent event;
    while (NextEvent(&event, deadline)) {
        if (event.type == SelectionRequest) {
            Serve(&event.xselectionrequest);
            continue;
        }
        if (event.type != ClientMessage || (Window)event.xclient.data.l[0] != target) continue;
        if (stage == kAwaitStatus && event.xclient.message_type == aStatus) {
            const int accept = (int)(event.xclient.data.l[1] & 1);
            printf("status accept=%d\n", accept);
            if (!accept) {
                Send(target, aLeave, (long)source, 0, 0, 0, 0);
                XSync(dpy, False);
                return 0;
            }
            Send(target, aDrop, (long)source, 0, (long)stamp, 0, 0);
            stage = kAwaitFinished;
            deadline = NowMs() + kWaitMs;
        } else if (stage == kAwaitFinished && event.xclient.message_type == aFinished) {
            printf("finished accept=%d\n", version >= 5 ? (int)(event.xclient.data.l[1] & 1) : 1);
            XSync(dpy, False);
            return 0;
        }
    }
    printf("timeout\n");
    return 3;
}
