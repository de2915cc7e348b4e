// ruvok-conv against nkf (the same job: detect, convert to Shift_JIS with
// CR LF) and iconv (conversion only, EUC-JP to Shift_JIS), as whole programs
// on the benchmark texts, each run in turn; medians and ratios.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "text_generator.h"

namespace {

constexpr size_t kTextSize = size_t{32} << 20;
constexpr int kRounds = 5;
constexpr double kNkfTarget = 10;
constexpr double kIconvTarget = 2;

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Timing {
    double wall = -1;  // seconds; negative when the command could not run or failed
    double cpu = -1;   // user + system seconds of the child
};

double Seconds(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

// Runs the command with its output to /dev/null.
Timing TimeCommand(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Timing timing;
    double start = Now();
    pid_t pid = fork();
    if (pid == 0) {
        int null_fd = open("/dev/null", O_WRONLY);
        if (null_fd < 0 || dup2(null_fd, 1) < 0) _exit(126);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) return timing;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    double elapsed = Now() - start;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        timing.wall = elapsed;
        timing.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    }
    return timing;
}

// Writes the file and waits until it is on disk, so that no write-back
// runs beside the timed programs.
void WriteSettled(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    int fd = open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Contender {
    const char* name;
    std::vector<std::string> command;  // the file's path is appended
    std::vector<double> wall, cpu;
    bool failed = false;
};

}  // namespace

int main() {
    char dir_pattern[] = "/tmp/ruvok-bench.XXXXXX";
    if (!mkdtemp(dir_pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = dir_pattern;

    std::printf("whole programs, %d runs each in turn, output to /dev/null;\n"
                "median CPU time (user + system) in ms, median wall time in brackets\n\n",
                kRounds);
    std::printf("%-11s %6s %14s %16s %14s %13s %s\n", "text", "MiB", "ruvok-conv", "nkf", "iconv",
                "vs nkf", "vs iconv");
    int missed = 0;
    bool broken = false;
    for (TextKind kind : {TextKind::kKanjiHeavy, TextKind::kAsciiHeavy}) {
        for (TextEncoding encoding : {TextEncoding::kJis, TextEncoding::kEuc, TextEncoding::kSjis}) {
            std::string name = std::string(TextKindName(kind)) + "-" + TextEncodingName(encoding);
            std::string path = dir + "/" + name + ".txt";
            std::string text = MakeText(kind, encoding, kTextSize);
            WriteSettled(path, text);

            std::vector<Contender> contenders;
            contenders.push_back({"ruvok-conv", {RUVOK_CONV_PATH}, {}, {}});
            contenders.push_back({"nkf", {"nkf", "-x", "-s", "-Lw"}, {}, {}});
            if (encoding == TextEncoding::kEuc)
                contenders.push_back({"iconv", {"iconv", "-f", "EUC-JP", "-t", "SHIFT_JIS"}, {}, {}});
            for (Contender& c : contenders) c.command.push_back(path);

            // One untimed run each first (page cache, the programs' own pages),
            // then in turn, so that a slow spell of the machine falls on all alike.
            for (Contender& c : contenders) TimeCommand(c.command);
            for (int round = 0; round < kRounds; ++round) {
                for (Contender& c : contenders) {
                    Timing t = TimeCommand(c.command);
                    if (t.wall < 0) {
                        c.failed = true;
                    } else {
                        c.wall.push_back(t.wall);
                        c.cpu.push_back(t.cpu);
                    }
                }
            }
            for (Contender& c : contenders) {
                if (c.failed) {
                    std::fprintf(stderr, "%s failed on %s\n", c.name, path.c_str());
                    broken = true;
                }
            }
            if (broken) continue;

            // Ratios by CPU time (user + system): the machine is shared, and a
            // busy neighbour stretches wall time unevenly.
            double ruvok = Median(contenders[0].cpu);
            double nkf = Median(contenders[1].cpu);
            double nkf_ratio = nkf / ruvok;
            bool nkf_met = nkf_ratio >= kNkfTarget;
            if (!nkf_met) ++missed;
            char iconv_ms[32] = "-", iconv_ratio[32] = "-";
            if (contenders.size() > 2) {
                double iconv = Median(contenders[2].cpu);
                bool met = iconv / ruvok >= kIconvTarget;
                if (!met) ++missed;
                std::snprintf(iconv_ms, sizeof iconv_ms, "%.1f (%.1f)", iconv * 1e3,
                              Median(contenders[2].wall) * 1e3);
                std::snprintf(iconv_ratio, sizeof iconv_ratio, "%.1fx %s", iconv / ruvok,
                              met ? "met" : "MISSED");
            }
            char ruvok_ms[32], nkf_ms[32];
            std::snprintf(ruvok_ms, sizeof ruvok_ms, "%.1f (%.1f)", ruvok * 1e3,
                          Median(contenders[0].wall) * 1e3);
            std::snprintf(nkf_ms, sizeof nkf_ms, "%.1f (%.1f)", nkf * 1e3,
                          Median(contenders[1].wall) * 1e3);
            std::printf("%-11s %6.1f %14s %16s %14s %6.1fx %-6s %s\n", name.c_str(),
                        static_cast<double>(text.size()) / (1 << 20), ruvok_ms, nkf_ms, iconv_ms,
                        nkf_ratio, nkf_met ? "met" : "MISSED", iconv_ratio);
            std::fflush(stdout);
            std::remove(path.c_str());
        }
    }
    rmdir(dir.c_str());
    std::printf("\ntargets: ruvok-conv >= %.0fx nkf on every text, >= %.0fx iconv on EUC-JP: %s\n",
                kNkfTarget, kIconvTarget, broken ? "not measured (a program failed)"
                                         : missed == 0 ? "all met" : "some missed");
    return broken ? 1 : 0;
}
