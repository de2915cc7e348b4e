// ruvok-conv against nkf (the same job: detect, convert to Shift_JIS with
// CR LF), glibc's iconv and ICU's uconv (conversion from the named code to
// Shift_JIS only), as whole programs on the same files: the benchmark texts
// and 36 MB of real prose (Debian's Japanese manual pages) in each encoding.
// Each program runs in turn, several rounds; the table shows medians of CPU
// time (user + system) and wall time, each program's peak memory, and the
// ratios. Then ruvok-conv alone on a 1 GiB file, for its peak memory.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench_support.h"
#include "text_generator.h"

namespace {

constexpr size_t kTextSize = size_t{32} << 20;
constexpr size_t kProseSize = 36'000'000;
constexpr size_t kLargeSize = size_t{1} << 30;
constexpr int kRounds = 5;
constexpr double kNkfTarget = 30;
constexpr double kIconvTarget = 5;
constexpr double kPeakTargetMiB = 16;

using bench::Median;
using bench::Now;

double Seconds(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

struct Run {
    bool ok = false;
    double wall = 0;     // seconds
    double cpu = 0;      // user + system seconds of the child
    double peakMiB = 0;  // the child's peak resident memory
};

// Runs the command with its output to /dev/null (errors too: iconv and
// uconv report what they cannot convert). The peak memory is an upper
// bound: it includes what the child shared with this process before its
// exec, which is kept small while programs run.
Run RunCommand(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Run run;
    double start = Now();
    pid_t pid = fork();
    if (pid == 0) {
        int null_fd = open("/dev/null", O_WRONLY);
        if (null_fd < 0 || dup2(null_fd, 1) < 0 || dup2(null_fd, 2) < 0) _exit(126);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) return run;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wall = Now() - start;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024;
    return run;
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

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Input {
    std::string name;
    std::string path;
    const char* iconvCode;  // the code iconv and uconv are told the text is in
    double mib;
};

// The bench texts, and the manual pages through iconv, repeated to 36 MB:
// first to ISO-2022-JP (what it lacks, half-width katakana among it, left
// out), so that every program can read and write each character of the
// three forms made from that.
std::vector<Input> MakeInputs(const std::string& dir) {
    std::vector<Input> inputs;
    for (TextKind kind : {TextKind::kKanjiHeavy, TextKind::kAsciiHeavy})
        for (TextEncoding encoding : {TextEncoding::kJis, TextEncoding::kEuc, TextEncoding::kSjis}) {
            std::string name = std::string(TextKindName(kind)) + "-" + TextEncodingName(encoding);
            std::string text = MakeText(kind, encoding, kTextSize);
            std::string path = dir + "/" + name + ".txt";
            WriteSettled(path, text);
            const char* code = encoding == TextEncoding::kJis ? "ISO-2022-JP"
                               : encoding == TextEncoding::kEuc ? "EUC-JP"
                                                                : "SHIFT_JIS";
            inputs.push_back({name, path, code, static_cast<double>(text.size()) / (1 << 20)});
        }
    std::string utf8 = dir + "/man.utf8";
    std::string gather = "find /usr/share/man/ja -name '*.gz' 2>/dev/null | sort | xargs -r zcat > " + utf8;
    if (std::system(gather.c_str()) != 0 || ReadFile(utf8).size() < (size_t{1} << 20)) {
        std::printf("(no Japanese manual pages here: install manpages-ja for the prose rows)\n");
        return inputs;
    }
    std::string jis = dir + "/man.jis";
    // ISO-2022-JP would write YEN SIGN and OVERLINE as JIS X 0201 Roman, which
    // ICU then cannot put into Shift_JIS: the ASCII forms instead.
    std::string narrow = "sed 's/\xC2\xA5/\\\\/g; s/\xE2\x80\xBE/~/g' " + utf8 +
                         " | iconv -c -f UTF-8 -t ISO-2022-JP > " + jis + " 2>/dev/null";
    if (std::system(narrow.c_str()) != 0 && ReadFile(jis).empty()) return inputs;
    struct {
        const char* name;
        const char* code;
    } forms[] = {{"man-jis", "ISO-2022-JP"}, {"man-euc", "EUC-JP"}, {"man-sjis", "SHIFT_JIS"}};
    for (const auto& form : forms) {
        std::string once = dir + "/" + form.name + ".once";
        std::string command = std::string("iconv -f ISO-2022-JP -t ") + form.code + " " + jis + " > " + once +
                              " 2>/dev/null";
        if (std::system(command.c_str()) != 0) continue;
        std::string piece = ReadFile(once), text;
        while (text.size() + piece.size() <= kProseSize) text += piece;
        std::remove(once.c_str());
        std::string path = dir + "/" + form.name + ".txt";
        WriteSettled(path, text);
        inputs.push_back({form.name, path, form.code, static_cast<double>(text.size()) / (1 << 20)});
    }
    std::remove(utf8.c_str());
    std::remove(jis.c_str());
    return inputs;
}

struct Contender {
    const char* name;
    std::vector<std::string> command;
    std::vector<double> wall, cpu, peak;
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
    std::vector<Input> inputs = MakeInputs(dir);

    std::printf("whole programs on the same files, %d rounds, each program in turn; output to /dev/null\n"
                "per program: median CPU time (user + system) in ms, [median wall time], peak memory in MiB\n"
                "ratios: the other program's median CPU time over ruvok-conv's\n\n",
                kRounds);
    std::printf("%-10s %5s | %-24s | %-24s | %-24s | %-24s | %6s %6s %6s\n", "text", "MiB", "ruvok-conv", "nkf",
                "iconv", "uconv", "x nkf", "x iconv", "x uconv");
    int missed = 0;
    bool broken = false;
    for (const Input& input : inputs) {
        std::vector<Contender> contenders;
        contenders.push_back({"ruvok-conv", {RUVOK_CONV_PATH, input.path}, {}, {}, {}});
        contenders.push_back({"nkf", {"nkf", "-x", "-s", "-Lw", input.path}, {}, {}, {}});
        contenders.push_back({"iconv", {"iconv", "-f", input.iconvCode, "-t", "SHIFT_JIS", input.path}, {}, {}, {}});
        contenders.push_back({"uconv", {"uconv", "-f", input.iconvCode, "-t", "Shift_JIS", input.path}, {}, {}, {}});
        // One untimed run each first (page cache, the programs' own pages).
        for (Contender& c : contenders) RunCommand(c.command);
        for (int round = 0; round < kRounds; ++round)
            for (Contender& c : contenders) {
                Run r = RunCommand(c.command);
                if (!r.ok) c.failed = true;
                c.wall.push_back(r.wall);
                c.cpu.push_back(r.cpu);
                c.peak.push_back(r.peakMiB);
            }
        if (contenders[0].failed) {
            std::fprintf(stderr, "ruvok-conv failed on %s\n", input.path.c_str());
            broken = true;
            continue;
        }
        const double ours = Median(contenders[0].cpu);
        char cells[4][64];
        for (size_t i = 0; i < contenders.size(); ++i) {
            const Contender& c = contenders[i];
            std::snprintf(cells[i], sizeof cells[i], "%7.1f [%7.1f] %6.1f%s", Median(c.cpu) * 1e3,
                          Median(c.wall) * 1e3, *std::max_element(c.peak.begin(), c.peak.end()),
                          c.failed ? "!" : "");
        }
        double ratio[4] = {1, Median(contenders[1].cpu) / ours, Median(contenders[2].cpu) / ours,
                           Median(contenders[3].cpu) / ours};
        if (ratio[1] < kNkfTarget) ++missed;
        if (!contenders[2].failed && ratio[2] < kIconvTarget) ++missed;
        std::printf("%-10s %5.1f | %-24s | %-24s | %-24s | %-24s | %5.1fx %6.1fx %6.1fx\n", input.name.c_str(),
                    input.mib, cells[0], cells[1], cells[2], cells[3], ratio[1], ratio[2], ratio[3]);
        std::fflush(stdout);
    }
    std::printf("(! after a program's figures: it reported an error on that text, e.g. a character it\n"
                "cannot map, and its time covers the work it did)\n");

    // Peak memory on a 1 GiB file: the kanji-heavy EUC-JP text over and over.
    double largePeak = -1;
    for (const Input& input : inputs) {
        if (input.name != "kanji-euc") continue;
        std::string path = dir + "/large.txt";
        {
            // Gone before the run: a child's peak counts what it shared with
            // this process until its exec.
            std::string piece = ReadFile(input.path);
            std::ofstream out(path, std::ios::binary);
            for (size_t written = 0; written < kLargeSize; written += piece.size()) out << piece;
        }
        malloc_trim(0);  // what the texts took, back to the system
        Run r = RunCommand({RUVOK_CONV_PATH, path});
        largePeak = r.ok ? r.peakMiB : -1;
        std::printf("\nruvok-conv on a 1 GiB EUC-JP file: %.0f ms CPU, %.0f ms wall, peak memory %.1f MiB\n",
                    r.cpu * 1e3, r.wall * 1e3, r.peakMiB);
        std::remove(path.c_str());
    }
    for (const Input& input : inputs) std::remove(input.path.c_str());
    rmdir(dir.c_str());

    bool peakMet = largePeak >= 0 && largePeak < kPeakTargetMiB;
    std::printf("\ntargets: >= %.0fx nkf and >= %.0fx iconv on every text: %s; peak memory under %.0f MiB on "
                "1 GiB: %s\n",
                kNkfTarget, kIconvTarget, broken ? "not measured (ruvok-conv failed)" : missed == 0 ? "met" : "MISSED",
                kPeakTargetMiB, peakMet ? "met" : "MISSED");
    return broken ? 1 : 0;
}
