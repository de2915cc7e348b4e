// The virtual display the key benchmark drives: repaints as the X server
// reports them (DAMAGE), keys and clicks sent through XTEST, a program's
// main window found by its process.
#include "keys_display.h"

#include "bench_support.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>

#include <algorithm>

#include <poll.h>

namespace keys {

using bench::Now;

int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

bool Significant(const XRectangle& r)
{
    return r.width > 6 && r.height > 6;
}

double NextRepaint(Bench& s, Window w, double deadline, bool anySize)
{
    const int fd = ConnectionNumber(s.display);
    for (;;) {
        while (XPending(s.display) > 0) {
            XEvent e;
            XNextEvent(s.display, &e);
            if (e.type == CreateNotify && e.xcreatewindow.parent == DefaultRootWindow(s.display)) {
                const Window created = e.xcreatewindow.window;
                s.damages[created] = XDamageCreate(s.display, created, XDamageReportRawRectangles);
            } else if (e.type == s.damageEvent + XDamageNotify) {
                const auto& d = *reinterpret_cast<XDamageNotifyEvent*>(&e);
                if ((w == 0 || d.drawable == w) && (anySize || Significant(d.area)))
                    return Now();
            }
        }
        const double left = deadline - Now();
        if (left <= 0)
            return -1;
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left * 1000) + 1);
    }
}

void Settle(Bench& s, Window w, double limit)
{
    const double deadline = Now() + limit;
    while (Now() < deadline && NextRepaint(s, w, std::min(deadline, Now() + kQuiet)) >= 0) {
    }
}

Window MainWindowOf(Display* display, pid_t pid)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None)
        return 0;
    Window root = DefaultRootWindow(display), parent, *children = nullptr;
    unsigned int n = 0;
    Window found = 0;
    long best = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &n))
        return 0;
    for (unsigned int i = 0; i < n; ++i) {
        XWindowAttributes attrs;
        if (!XGetWindowAttributes(display, children[i], &attrs) || attrs.map_state != IsViewable)
            continue;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                               &format, &count, &after, &data) == Success
            && data != nullptr && count == 1
            && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid
            && static_cast<long>(attrs.width) * attrs.height > best) {
            found = children[i];
            best = static_cast<long>(attrs.width) * attrs.height;
        }
        if (data != nullptr)
            XFree(data);
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

void Key(Display* display, KeySym sym, bool control)
{
    const KeyCode ctrl = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode code = XKeysymToKeycode(display, sym);
    if (control)
        XTestFakeKeyEvent(display, ctrl, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (control)
        XTestFakeKeyEvent(display, ctrl, False, CurrentTime);
    XFlush(display);
}

void Click(Display* display, Window w, int x, int y)
{
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(display, w, DefaultRootWindow(display), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(display, -1, rx, ry, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

}  // namespace keys
