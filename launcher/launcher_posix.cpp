// The launcher for POSIX: the arguments joined by single blanks are the tail,
// which the viewer receives as its one argument, whatever bytes it holds. A
// POSIX argument is bytes already split by the caller's shell: no quoting
// rule of the Windows command line applies to it (there, the code page's lead
// bytes would take a UTF-8 name's last byte with the closing quote), and a
// double quote is part of a name like any other byte. "ruvok" is looked up
// beside the launcher, then on PATH, and started without waiting, in the
// launcher's directory and environment.
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

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
    StartViewer({kViewerName, JoinArguments(argc, argv)});
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
