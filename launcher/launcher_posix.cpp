// The launcher for POSIX: the same command as on Windows, built from the
// arguments joined by single blanks, split back into the viewer's arguments by
// the Windows C runtime's rules, so that the viewer receives exactly what it
// would receive there. "ruvok" is looked up beside the launcher, then on PATH,
// and started without waiting, in the launcher's directory and environment.
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"
#include "command_line.h"

extern char** environ;

namespace {

constexpr char kViewerName[] = "ruvok";

std::string JoinArguments(int argc, char** argv)
{
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            tail += ' ';
        tail += argv[i];
    }
    return tail;
}

// The directory of the launcher's own program file, with its final slash, or
// empty when it can't be told.
std::string OwnDirectory()
{
    std::vector<char> path(PATH_MAX);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < path.size()) {
            std::string self(path.data(), static_cast<std::size_t>(n));
            const std::size_t slash = self.rfind('/');
            return slash == std::string::npos ? std::string{} : self.substr(0, slash + 1);
        }
        path.resize(path.size() * 2);
    }
}

void StartViewer(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t pid;
    const std::string dir = OwnDirectory();
    if (!dir.empty()) {
        const std::string beside = dir + kViewerName;
        if (posix_spawn(&pid, beside.c_str(), nullptr, nullptr, argv.data(), environ) == 0)
            return;
    }
    posix_spawnp(&pid, kViewerName, nullptr, nullptr, argv.data(), environ);
}

void Launch(int argc, char** argv)
{
    const std::string tail = JoinArguments(argc, argv);
    std::vector<char> buffer(tail.size() + kCommandBufferExtra);
    FormatCommand(buffer.data(), CommandFormat(tail.c_str()), tail.c_str());
    // The viewer's code page is 932, whatever the locale here.
    StartViewer(SplitCommandLine(buffer.data(), IsCp932LeadByte));
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        Launch(argc, argv);
    } catch (...) {
        // Out of memory: end quietly, as on every other path.
    }
    return 0;
}
