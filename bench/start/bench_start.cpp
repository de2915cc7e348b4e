// Whole programs from their start to a visible window, on a virtual display
// (Xvfb): ruvok opening a 655,360-byte EUC-JP file with all its start-up work
// (settings, desktop registration, the single-instance check), FeatherPad
// opening the same file, and a bare Qt window (a QMainWindow holding an empty
// QPlainTextEdit), which is the floor for any Qt program. Each round runs
// the three in turn; the window is looked for every 5 ms. Then the time
// ruvok takes to end once its window is closed. Medians and ratios.
#include "bench_support.h"
#include "text_generator.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using bench::LoadAverage;
using bench::Median;
using bench::Now;
using bench::Which;

constexpr int kRounds = 25;
constexpr double kTarget = 1.25;  // ruvok against the bare window
constexpr int kPollMicroseconds = 5000;

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// A viewable top-level window of process pid (Qt and FeatherPad set
// _NET_WM_PID); 0 if there is none yet.
Window VisibleWindowOf(Display* display, pid_t pid)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None)
        return 0;
    Window root = DefaultRootWindow(display), parent, *children = nullptr;
    unsigned int n = 0;
    Window found = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &n))
        return 0;
    for (unsigned int i = 0; i < n && found == 0; ++i) {
        XWindowAttributes attrs;
        if (!XGetWindowAttributes(display, children[i], &attrs) || attrs.map_state != IsViewable)
            continue;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                               &format, &count, &after, &data) == Success &&
            data != nullptr && count == 1 &&
            static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid)
            found = children[i];
        if (data != nullptr)
            XFree(data);
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

void CloseWindow(Display* display, Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &e);
    XFlush(display);
}

struct Program {
    const char* name;
    std::vector<std::string> argv;
    std::vector<double> starts;
    std::vector<double> ends;
};

// Starts the program, waits for its window, closes it and waits for the
// process to end; the seconds to the window (negative on failure) and from
// the close to the end.
std::pair<double, double> RunOnce(Display* display, const Program& p)
{
    const double t0 = Now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : p.argv)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Window w = 0;
    while (Now() - t0 < 10) {
        w = VisibleWindowOf(display, pid);
        if (w != 0)
            break;
        int status;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return {-1, -1};
        ::usleep(kPollMicroseconds);
    }
    const double shown = w != 0 ? Now() - t0 : -1;
    const double t1 = Now();
    if (w != 0)
        CloseWindow(display, w);
    double ended = -1;
    int status;
    while (Now() - t1 < 3) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            ended = Now() - t1;
            break;
        }
        ::usleep(1000);
    }
    if (ended < 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    return {shown, ended};
}

}  // namespace

int main()
{
    const std::string bare = BARE_WINDOW_PATH;
    const std::string ruvok = RUVOK_PATH;
    const std::string featherpad = Which("featherpad");

    char dirPattern[] = "/tmp/ruvok-bench-start-XXXXXX";
    const std::string dir = ::mkdtemp(dirPattern) != nullptr ? dirPattern : "/tmp";
    // A home of its own: settings, desktop entries and sockets stay here.
    for (const char* sub : {"/home", "/home/run"})
        ::mkdir((dir + sub).c_str(), 0700);
    ::setenv("HOME", (dir + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir + "/home/.config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir + "/home/.local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (dir + "/home/.cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (dir + "/home/run").c_str(), 1);
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("QT_QPA_PLATFORM");

    const std::string file = dir + "/japanese-euc.txt";
    {
        std::ofstream out(file, std::ios::binary);
        std::string text = MakeText(TextKind::kKanjiHeavy, TextEncoding::kEuc, 655360);
        while (text.size() < 655360)
            text += '\n';
        out << text;
    }

    // A display of our own.
    int number = 90;
    while (Exists("/tmp/.X" + std::to_string(number) + "-lock"))
        ++number;
    const std::string displayName = ":" + std::to_string(number);
    const pid_t xvfb = ::fork();
    if (xvfb == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("Xvfb", "Xvfb", displayName.c_str(), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    Display* display = nullptr;
    for (int i = 0; i < 100 && display == nullptr; ++i) {
        ::usleep(50000);
        display = XOpenDisplay(displayName.c_str());
    }
    if (display == nullptr) {
        std::fprintf(stderr, "bench_start: no Xvfb display\n");
        ::kill(xvfb, SIGTERM);
        return 1;
    }
    ::setenv("DISPLAY", displayName.c_str(), 1);

    std::vector<Program> programs;
    programs.push_back({"bare Qt window", {bare}, {}, {}});
    programs.push_back({"ruvok", {ruvok, file}, {}, {}});
    if (!featherpad.empty())
        programs.push_back({"FeatherPad", {featherpad, file}, {}, {}});
    // what the file itself costs: the same start without it
    programs.push_back({"ruvok, no file", {ruvok}, {}, {}});

    const double loadBefore = LoadAverage();
    // One untimed run each: caches filled, ruvok's first registration done.
    for (const Program& p : programs)
        RunOnce(display, p);
    for (int round = 0; round < kRounds; ++round) {
        for (Program& p : programs) {
            auto [shown, ended] = RunOnce(display, p);
            if (shown >= 0)
                p.starts.push_back(shown);
            if (ended >= 0)
                p.ends.push_back(ended);
        }
    }

    std::printf("Start to a visible window, 655,360-byte EUC-JP file, Xvfb, %d rounds, "
                "median (load average %.2f before, %.2f after):\n",
                kRounds, loadBefore, LoadAverage());
    for (const Program& p : programs)
        std::printf("  %-16s %7.1f ms  (ends %.1f ms after its window is closed)\n", p.name,
                    Median(p.starts) * 1e3, Median(p.ends) * 1e3);
    const double floor = Median(programs[0].starts);
    const double ours = Median(programs[1].starts);
    std::printf("  ruvok / bare Qt window: %.2fx (target %.2fx or less) %s\n", ours / floor,
                kTarget, ours / floor <= kTarget ? "met" : "NOT met");
    std::printf("  ruvok without a file / bare Qt window: %.2fx\n",
                Median(programs.back().starts) / floor);
    if (!featherpad.empty())
        std::printf("  ruvok / FeatherPad:     %.2fx\n", ours / Median(programs[2].starts));
    else
        std::printf("  FeatherPad is not installed (Debian's featherpad): left out\n");

    XCloseDisplay(display);
    ::kill(xvfb, SIGTERM);
    ::waitpid(xvfb, nullptr, 0);
    (void)std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
