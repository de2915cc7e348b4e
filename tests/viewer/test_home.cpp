#include "test_home.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string g_root;

void RemoveRoot()
{
    if (g_root.rfind("/tmp/ruvok-home-", 0) == 0 && ::getpid() == std::atoi(g_root.c_str() + 16))
        (void)std::system(("rm -rf '" + g_root + "'").c_str());
}

}  // namespace

std::string PointHomeAt(const std::string& root)
{
    ::mkdir(root.c_str(), 0700);
    const struct {
        const char* name;
        const char* sub;
    } folders[] = {
        {"HOME", ""},
        {"XDG_CONFIG_HOME", "/.config"},
        {"XDG_DATA_HOME", "/.local/share"},
        {"XDG_CACHE_HOME", "/.cache"},
        {"XDG_STATE_HOME", "/.local/state"},
        {"XDG_RUNTIME_DIR", "/run"},
    };
    for (const auto& f : folders) {
        const std::string path = root + f.sub;
        (void)std::system(("mkdir -p '" + path + "'").c_str());
        ::setenv(f.name, path.c_str(), 1);
    }
    ::chmod((root + "/run").c_str(), 0700);
    // no desktop's own lists
    ::unsetenv("XDG_CURRENT_DESKTOP");
    return root;
}

std::string IsolateHome()
{
    g_root = "/tmp/ruvok-home-" + std::to_string(::getpid()) + "-XXXXXX";
    std::string pattern = g_root;
    if (::mkdtemp(&pattern[0]) != nullptr)
        g_root = pattern;
    std::atexit(RemoveRoot);
    return PointHomeAt(g_root);
}
