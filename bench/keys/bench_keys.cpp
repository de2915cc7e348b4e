// Key to repaint, as a user sees it: each program runs on a virtual display
// (Xvfb, no window manager) with a text made from Debian's Japanese manual
// pages, gets its keys, clicks and resizes from XTEST, and is timed from
// the event sent to the first repaint of its window that the X server
// reports (DAMAGE; slivers the size of a blinking cursor are not counted,
// but for a click, which moves nothing else). A save is timed to the file's
// write. ruvok opens the Shift_JIS text; FeatherPad and Mousepad, where they
// are installed, open the same characters as UTF-8, as their users would
// have them. RUVOK_BEFORE names another build of ruvok to run beside this
// one. Medians of each row (start to first paint over a few starts), the
// ratios to ruvok, the load average; then a typed character in one line of
// 10, 100, 300 and 640 KB.
#include "bench_support.h"
#include "keys_display.h"
#include "keys_texts.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::size_t kFileBytes = 655360;
constexpr int kRounds = 9;
constexpr int kStarts = 5;            // for start to first paint (1 where one takes over kSlow)
constexpr int kSlowRounds = 3;        // for a row whose first round takes over kSlow
constexpr double kSlow = 0.5;         // seconds
constexpr int kWidth = 1000, kHeight = 700;

using bench::LoadAverage;
using bench::Median;
using bench::Now;
using bench::Which;
using namespace keys;

// ---------------------------------------------------------------------------
// The programs

struct Program {
    std::string name;
    std::string path;
    bool sjis;  // opens the Shift_JIS text (else the UTF-8 one)
};

struct Running {
    pid_t pid = -1;
    Window window = 0;
    double firstPaint = -1;  // seconds from the start
};

Running Start(Bench& s, const Program& p, const std::string& file)
{
    Running r;
    XSync(s.display, False);
    Settle(s, 0, 0.05);
    const double t0 = Now();
    r.pid = ::fork();
    if (r.pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(p.path.c_str(), p.path.c_str(), file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const double painted = NextRepaint(s, 0, t0 + 60);
    if (painted < 0)
        return r;
    r.firstPaint = painted - t0;
    for (int i = 0; i < 400 && r.window == 0; ++i) {
        r.window = MainWindowOf(s.display, r.pid);
        if (r.window == 0)
            NextRepaint(s, 0, Now() + 0.05);
    }
    if (r.window == 0)
        return r;
    Settle(s, r.window, 60);
    XMoveResizeWindow(s.display, r.window, 0, 0, kWidth, kHeight);
    XSync(s.display, False);
    Settle(s, r.window, 60);
    XSetInputFocus(s.display, r.window, RevertToPointerRoot, CurrentTime);
    XSync(s.display, False);
    Settle(s, r.window, 60);
    return r;
}

void Stop(Running& r)
{
    if (r.pid <= 0)
        return;
    ::kill(r.pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(r.pid, nullptr, WNOHANG) == r.pid) {
            r.pid = -1;
            return;
        }
        ::usleep(10000);
    }
    ::kill(r.pid, SIGKILL);
    ::waitpid(r.pid, nullptr, 0);
    r.pid = -1;
}

double ResidentMiB(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return -1;
}

// Start to first paint (ms), the median of a few starts: one start alone
// is at the mercy of whatever else the machine does at that moment.
double FirstPaint(Bench& s, const Program& p, const std::string& file)
{
    std::vector<double> times;
    for (int i = 0; i < kStarts; ++i) {
        Running r = Start(s, p, file);
        const double t = r.window != 0 ? r.firstPaint : -1;
        Stop(r);
        if (t < 0)
            return -1;
        times.push_back(t);
        if (t > kSlow)
            break;
    }
    return Median(times) * 1e3;
}

// Seconds from act() to the first repaint of the program's window.
double Timed(Bench& s, const Running& r, const std::function<void()>& act, bool anySize = false)
{
    XSync(s.display, False);
    while (XPending(s.display) > 0) {
        XEvent e;
        XNextEvent(s.display, &e);
    }
    const double t0 = Now();
    act();
    const double t1 = NextRepaint(s, r.window, t0 + kTimeout, anySize);
    Settle(s, r.window);
    return t1 < 0 ? -1 : t1 - t0;
}

// Seconds from Ctrl+S to the file written (in place or by a rename).
double TimedSave(Bench& s, const std::string& file)
{
    const std::string dir = file.substr(0, file.rfind('/'));
    const std::string name = file.substr(file.rfind('/') + 1);
    const int fd = inotify_init1(IN_NONBLOCK);
    inotify_add_watch(fd, dir.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    const double t0 = Now();
    Key(s.display, XK_s, true);
    double done = -1;
    while (done < 0 && Now() - t0 < kTimeout) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 50);
        alignas(inotify_event) char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        for (ssize_t i = 0; i < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buf + i);
            if (ev->len > 0 && name == ev->name)
                done = Now() - t0;
            i += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
    ::close(fd);
    return done;
}

// One row of the table: a name and, for each program, its median (ms).
struct Row {
    std::string name;
    std::vector<double> ms;
    double budget;  // ms; 0 for none
};

double Rounds(Bench& s, const Running& r, const std::function<double(int)>& once)
{
    std::vector<double> times;
    int rounds = kRounds;
    for (int i = 0; i < rounds; ++i) {
        const double t = once(i);
        if (t < 0)
            return -1;
        times.push_back(t);
        if (i == 0 && t > kSlow)
            rounds = kSlowRounds;
    }
    (void)s;
    (void)r;
    return Median(times) * 1e3;
}

void Print(const std::vector<Program>& programs, const std::vector<Row>& rows, const char* title)
{
    std::printf("\n%s (medians, ms; ratio = program / ruvok)\n", title);
    std::printf("  %-34s", "");
    for (const Program& p : programs)
        std::printf(" %14s", p.name.c_str());
    std::printf(" %8s\n", "budget");
    for (const Row& row : rows) {
        std::printf("  %-34s", row.name.c_str());
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const double v = row.ms[i];
            if (v < 0)
                std::printf(" %14s", "-");
            else if (i == 0 || row.ms[0] <= 0)
                std::printf(" %14.1f", v);
            else
                std::printf(" %7.1f (%4.1fx)", v, v / row.ms[0]);
        }
        if (row.budget > 0)
            std::printf(" %8.0f%s", row.budget, row.ms[0] >= 0 && row.ms[0] <= row.budget ? "" : " over");
        std::printf("\n");
    }
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

int main()
{
    char dirPattern[] = "/tmp/ruvok-bench-keys-XXXXXX";
    if (::mkdtemp(dirPattern) == nullptr)
        return 1;
    const std::string dir = dirPattern;
    // A home of its own: settings, desktop entries and sockets stay here.
    for (const char* sub : {"/home", "/home/run", "/texts"})
        ::mkdir((dir + sub).c_str(), 0700);
    ::setenv("HOME", (dir + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir + "/home/.config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir + "/home/.local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (dir + "/home/.cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (dir + "/home/run").c_str(), 1);
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("QT_QPA_PLATFORM");

    const std::string pages = ManualPages(kFileBytes);
    if (pages.size() < kFileBytes) {
        std::printf("bench_keys: no Japanese manual pages here (Debian's manpages-ja): nothing to measure\n");
        return 0;
    }

    std::vector<Program> programs;
    programs.push_back({"ruvok", RUVOK_PATH, true});
    if (const char* before = std::getenv("RUVOK_BEFORE"))
        programs.push_back({"ruvok before", before, true});
    for (const char* peer : {"featherpad", "mousepad"}) {
        const std::string path = Which(peer);
        if (!path.empty())
            programs.push_back({peer == std::string("featherpad") ? "FeatherPad" : "Mousepad", path, false});
        else
            std::printf("(%s is not installed: left out)\n", peer);
    }

    // A display of our own.
    int number = std::getenv("RUVOK_BENCH_DISPLAY") != nullptr ? std::atoi(std::getenv("RUVOK_BENCH_DISPLAY")) : 90;
    struct stat st;
    while (::stat(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), &st) == 0)
        ++number;
    const std::string displayName = ":" + std::to_string(number);
    const pid_t xvfb = ::fork();
    if (xvfb == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("Xvfb", "Xvfb", displayName.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
                 "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    Bench s;
    for (int i = 0; i < 100 && s.display == nullptr; ++i) {
        ::usleep(50000);
        s.display = XOpenDisplay(displayName.c_str());
    }
    int error = 0, major = 0, minor = 0;
    if (s.display == nullptr || !XDamageQueryExtension(s.display, &s.damageEvent, &error)
        || !XTestQueryExtension(s.display, &error, &error, &major, &minor)) {
        std::fprintf(stderr, "bench_keys: no Xvfb display with DAMAGE and XTEST\n");
        ::kill(xvfb, SIGTERM);
        return 1;
    }
    ::setenv("DISPLAY", displayName.c_str(), 1);
    XSetErrorHandler(IgnoreErrors);
    XSelectInput(s.display, DefaultRootWindow(s.display), SubstructureNotifyMask);

    const double loadBefore = LoadAverage();
    const std::size_t n = programs.size();
    auto textFile = [&](const Program& p, const std::string& name, const Text& t) {
        const std::string path = dir + "/texts/" + name + (p.sjis ? ".sjis.txt" : ".utf8.txt");
        Write(path, p.sjis ? t.sjis : t.utf8);
        return path;
    };

    // Prose: 640 KB of manual pages as they are.
    const Text prose = Prose(pages, kFileBytes);
    std::vector<Row> proseRows = {{"start to first paint", {}, 0},   {"memory after the open (MiB)", {}, 0},
                                  {"a typed character", {}, 16.7},   {"Ctrl+End, Ctrl+Home", {}, 16.7},
                                  {"Page Down", {}, 16.7},           {"resize", {}, 33},
                                  {"Ctrl+A", {}, 8},                 {"Ctrl+S", {}, 10}};
    for (const Program& p : programs) {
        const std::string file = textFile(p, "prose", prose);
        const double firstPaint = FirstPaint(s, p, file);
        Running r = Start(s, p, file);
        std::vector<double> v(proseRows.size(), -1);
        if (r.window != 0) {
            v[0] = firstPaint;
            v[1] = ResidentMiB(r.pid);
            v[2] = Rounds(s, r, [&](int) { return Timed(s, r, [&] { Key(s.display, XK_a); }); });
            v[3] = Rounds(s, r, [&](int i) {
                return Timed(s, r, [&] { Key(s.display, i % 2 == 0 ? XK_End : XK_Home, true); });
            });
            v[4] = Rounds(s, r, [&](int) { return Timed(s, r, [&] { Key(s.display, XK_Next); }); });
            v[5] = Rounds(s, r, [&](int i) {
                return Timed(s, r, [&] {
                    XResizeWindow(s.display, r.window, i % 2 == 0 ? kWidth - 100 : kWidth, kHeight);
                    XFlush(s.display);
                });
            });
            v[6] = Rounds(s, r, [&](int) { return Timed(s, r, [&] { Key(s.display, XK_a, true); }); });
            Key(s.display, XK_Home, true);
            Settle(s, r.window);
            v[7] = Rounds(s, r, [&](int) {
                Timed(s, r, [&] { Key(s.display, XK_a); });
                const double t = TimedSave(s, file);
                Settle(s, r.window);
                return t;
            });
        }
        for (std::size_t i = 0; i < proseRows.size(); ++i)
            proseRows[i].ms.push_back(v[i]);
        Stop(r);
    }

    // One line of 640 KB: the manual pages without their line ends.
    const Text line = OneLine(pages, kFileBytes);
    std::vector<Row> lineRows = {{"start to first paint", {}, 150}, {"a typed character", {}, 16.7},
                                 {"Enter", {}, 16.7},               {"Backspace", {}, 16.7},
                                 {"Page Down", {}, 16.7},           {"Page Up", {}, 16.7},
                                 {"Ctrl+End", {}, 16.7},            {"Ctrl+Home", {}, 16.7},
                                 {"a click", {}, 16.7},             {"resize", {}, 33}};
    for (const Program& p : programs) {
        const std::string file = textFile(p, "line", line);
        const double firstPaint = FirstPaint(s, p, file);
        Running r = Start(s, p, file);
        std::vector<double> v(lineRows.size(), -1);
        auto key = [&](KeySym k, bool ctrl = false) {
            return Rounds(s, r, [&](int) { return Timed(s, r, [&] { Key(s.display, k, ctrl); }); });
        };
        if (r.window != 0) {
            v[0] = firstPaint;
            v[1] = key(XK_a);
            // Enter and Backspace in turn, each timed.
            std::vector<double> enter, back;
            for (int i = 0; i < kRounds; ++i) {
                const double e = Timed(s, r, [&] { Key(s.display, XK_Return); });
                const double b = Timed(s, r, [&] { Key(s.display, XK_BackSpace); });
                if (e < 0 || b < 0)
                    break;
                enter.push_back(e);
                back.push_back(b);
                if (e > kSlow && i + 1 >= kSlowRounds)
                    break;
            }
            v[2] = enter.empty() ? -1 : Median(enter) * 1e3;
            v[3] = back.empty() ? -1 : Median(back) * 1e3;
            v[4] = key(XK_Next);
            v[5] = key(XK_Prior);
            v[6] = key(XK_End, true);
            v[7] = key(XK_Home, true);
            v[8] = Rounds(s, r, [&](int i) {
                return Timed(s, r, [&] { Click(s.display, r.window, 200 + 300 * (i % 2), 300 + 40 * (i % 3)); },
                             true);
            });
            v[9] = Rounds(s, r, [&](int i) {
                return Timed(s, r, [&] {
                    XResizeWindow(s.display, r.window, i % 2 == 0 ? kWidth - 100 : kWidth, kHeight);
                    XFlush(s.display);
                });
            });
        }
        for (std::size_t i = 0; i < lineRows.size(); ++i)
            lineRows[i].ms.push_back(v[i]);
        Stop(r);
    }

    // A typed character against the length of its line.
    std::vector<Row> scaleRows;
    for (const std::size_t kb : {10, 100, 300, 640}) {
        Row row{"one line of " + std::to_string(kb) + " KB", {}, 16.7};
        const Text t = OneLine(pages, kb * 1024);
        for (const Program& p : programs) {
            Running r = Start(s, p, textFile(p, "line" + std::to_string(kb), t));
            row.ms.push_back(r.window == 0 ? -1 : Rounds(s, r, [&](int) {
                return Timed(s, r, [&] { Key(s.display, XK_a); });
            }));
            Stop(r);
        }
        scaleRows.push_back(row);
    }

    std::printf("Key to repaint under Xvfb (DAMAGE and XTEST), %dx%d window, texts from Debian's "
                "Japanese manual pages; ruvok Shift_JIS, the others UTF-8; %d rounds a row "
                "(%d where one takes over %.0f ms); load average %.2f before, %.2f after\n",
                kWidth, kHeight, kRounds, kSlowRounds, kSlow * 1e3, loadBefore, LoadAverage());
    Print(programs, proseRows, "Prose, 640 KB");
    Print(programs, lineRows, "One line of 640 KB (no line ends)");
    Print(programs, scaleRows, "A typed character in one line");
    (void)n;

    XCloseDisplay(s.display);
    ::kill(xvfb, SIGTERM);
    ::waitpid(xvfb, nullptr, 0);
    (void)std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
