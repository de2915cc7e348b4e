// The virtual display the key benchmark drives, and what it asks of it.
#ifndef RUVOK_BENCH_KEYS_DISPLAY_H
#define RUVOK_BENCH_KEYS_DISPLAY_H

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <map>

#include <sys/types.h>

namespace keys {

constexpr double kTimeout = 15;  // seconds for one event to be answered
constexpr double kQuiet = 0.15;  // seconds without repaints: settled

// The display and the damage records of its top-level windows.
struct Bench {
    Display* display = nullptr;
    int damageEvent = 0;
    std::map<Window, Damage> damages;
};

// Windows come and go (and some take no drawing at all): errors about them
// are no concern here.
int IgnoreErrors(Display*, XErrorEvent*);

// A repaint worth counting: wider or taller than a cursor.
bool Significant(const XRectangle& r);

// Waits for the next repaint of w (any top-level window when w is 0)
// until the deadline; its time, or -1.
double NextRepaint(Bench& s, Window w, double deadline, bool anySize = false);

// Waits until w has not repainted for kQuiet seconds (or the limit).
void Settle(Bench& s, Window w, double limit = kTimeout);

// The largest viewable top-level window of the process, or 0.
Window MainWindowOf(Display* display, pid_t pid);

void Key(Display* display, KeySym sym, bool control = false);
void Click(Display* display, Window w, int x, int y);

}  // namespace keys

#endif
