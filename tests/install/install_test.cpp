// The installation, as "cmake --install" makes it in a folder of its own (the
// package is made from the same rules): exactly the files a Linux desktop
// looks for, each of them valid to the desktop's own checkers, and programs
// that work from there, the viewer started by the installed launcher with no
// build folder on the PATH, writing nothing of its own into the user's
// desktop folders.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string g_prefix;  // the installation, made once for all the tests

struct Output {
    int status = -1;
    std::string text;  // standard output and error together
};

// Runs a shell command; its exit status and what it wrote.
Output Shell(const std::string& command)
{
    Output out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.text.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::string Quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every file under dir, as paths relative to it.
void ListFiles(const std::string& dir, const std::string& rel, std::set<std::string>& files)
{
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = dir + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            ListFiles(path, rel + name + "/", files);
        else
            files.insert(rel + name);
    }
    ::closedir(d);
}

TEST(Install, PutsEachFileWhereTheDesktopLooks)
{
    std::set<std::string> files;
    ListFiles(g_prefix, "", files);
    const std::set<std::string> expected = {
        "bin/launcher",
        "bin/ruvok",
        "bin/ruvok-conv",
        "share/applications/ruvok.desktop",
        "share/doc/ruvok/changelog.gz",
        "share/doc/ruvok/copyright",
        "share/icons/hicolor/16x16/apps/ruvok.png",
        "share/icons/hicolor/16x16/mimetypes/ruvok-document.png",
        "share/icons/hicolor/32x32/apps/ruvok.png",
        "share/icons/hicolor/32x32/mimetypes/ruvok-document.png",
        "share/man/ja/man1/launcher.1.gz",
        "share/man/ja/man1/ruvok-conv.1.gz",
        "share/man/ja/man1/ruvok.1.gz",
        "share/man/man1/ruvok-conv.1.gz",
        "share/metainfo/" RUVOK_APPSTREAM_ID ".metainfo.xml",
    };
    EXPECT_EQ(files, expected);
    for (const char* program : {"bin/launcher", "bin/ruvok", "bin/ruvok-conv"})
        EXPECT_EQ(::access((g_prefix + "/" + program).c_str(), X_OK), 0) << program;
    for (const char* icon : {"16x16/apps/ruvok.png", "32x32/apps/ruvok.png",
                             "16x16/mimetypes/ruvok-document.png"})
        EXPECT_EQ(ReadFile(g_prefix + "/share/icons/hicolor/" + icon).substr(1, 3), "PNG") << icon;
}

// Each file passes the checker of its kind without a complaint.
TEST(Install, EachFilePassesItsChecker)
{
    const struct {
        const char* what;
        std::string command;
    } rows[] = {
        {"the desktop entry", "desktop-file-validate " + Quoted(g_prefix + "/share/applications/ruvok.desktop")},
        {"the metainfo", "appstreamcli validate --no-net " +
                             Quoted(g_prefix + "/share/metainfo/" RUVOK_APPSTREAM_ID ".metainfo.xml")},
        {"the Japanese pages",
         "for p in ruvok launcher ruvok-conv; do LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l " +
             Quoted(g_prefix) + "/share/man/ja/man1/$p.1.gz >/dev/null || exit 1; done"},
        {"the English page",
         "LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l " + Quoted(g_prefix + "/share/man/man1/ruvok-conv.1.gz") +
             " >/dev/null"},
        {"the changelog", "zcat " + Quoted(g_prefix + "/share/doc/ruvok/changelog.gz") +
                              " | dpkg-parsechangelog -l - -S Version"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Output out = Shell(row.command);
        EXPECT_EQ(out.status, 0) << out.text;
        // a hint is advice; a warning or an error is a fault
        EXPECT_EQ(out.text.find("warning"), std::string::npos) << out.text;
        EXPECT_EQ(out.text.find("error"), std::string::npos) << out.text;
    }
    // The version is the project's, everywhere.
    EXPECT_EQ(Shell(Quoted(g_prefix + "/bin/ruvok-conv") + " --version").text,
              "ruvok-conv " RUVOK_VERSION "\n");
    EXPECT_NE(ReadFile(g_prefix + "/share/metainfo/" RUVOK_APPSTREAM_ID ".metainfo.xml")
                  .find("version=\"" RUVOK_VERSION "\""),
              std::string::npos);
    EXPECT_EQ(Shell("zcat " + Quoted(g_prefix + "/share/doc/ruvok/changelog.gz") +
                  " | dpkg-parsechangelog -l - -S Version")
                  .text,
              RUVOK_VERSION "\n");
    const Output page = Shell("LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l " +
                            Quoted(g_prefix + "/share/man/ja/man1/ruvok.1.gz"));
    EXPECT_NE(page.text.find("ruvok " RUVOK_VERSION), std::string::npos) << page.text;
}

// The process that listens on a Unix domain socket, through the socket.
pid_t ListenerOf(const std::string& socketPath)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    pid_t pid = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        ucred cred{};
        socklen_t len = sizeof cred;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0)
            pid = cred.pid;
    }
    ::close(fd);
    return pid;
}

// The installed launcher, with only the system's folders on the PATH,
// starts the installed viewer beside it; that viewer leaves the desktop
// entry and the icons to the installation and only claims text files where
// the user has no default for them.
TEST(Install, TheLauncherStartsTheInstalledViewer)
{
    char tmpl[] = "/tmp/ruvok-install-home.XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string home = tmpl;
    const std::string run = home + "/run";
    ASSERT_EQ(::mkdir(run.c_str(), 0700), 0);
    {
        std::ofstream(home + "/メモ 2026.txt") << "\x1b$B4A;z\x1b(B\n";
    }
    const std::string env = "env -i PATH=/usr/bin:/bin HOME=" + Quoted(home) +
                            " XDG_RUNTIME_DIR=" + Quoted(run) + " XDG_CONFIG_HOME=" +
                            Quoted(home + "/.config") + " XDG_DATA_HOME=" +
                            Quoted(home + "/.local/share") + " QT_QPA_PLATFORM=offscreen ";
    const Output launched = Shell("cd " + Quoted(home) + " && " + env + Quoted(g_prefix + "/bin/launcher") +
                                " " + Quoted(home + "/メモ 2026.txt") +
                                  " </dev/null >/dev/null");  // the viewer keeps no pipe of ours
    EXPECT_EQ(launched.status, 0) << launched.text;

    const std::string socket = run + "/ruvok.shell";
    pid_t viewer = 0;
    for (int i = 0; i < 300 && viewer == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (Exists(socket))
            viewer = ListenerOf(socket);
    }
    ASSERT_NE(viewer, 0) << "no viewer came up";
    char exe[4096] = {};
    const ssize_t n = ::readlink(("/proc/" + std::to_string(viewer) + "/exe").c_str(), exe,
                                 sizeof exe - 1);
    const std::string program = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
    EXPECT_EQ(program, g_prefix + "/bin/ruvok");
    const std::string cmdline = ReadFile("/proc/" + std::to_string(viewer) + "/cmdline");
    EXPECT_NE(cmdline.find(home + "/メモ 2026.txt"), std::string::npos) << "the file, in one piece";
    // Its start has registered by now (the socket comes after it).
    EXPECT_FALSE(Exists(home + "/.local/share/applications/ruvok.desktop"));
    EXPECT_FALSE(Exists(home + "/.local/share/icons"));
    EXPECT_EQ(ReadFile(home + "/.config/mimeapps.list"),
              "[Default Applications]\ntext/plain=ruvok.desktop;\n");
    ::kill(viewer, SIGTERM);
    for (int i = 0; i < 100 && ::kill(viewer, 0) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Shell("rm -rf " + Quoted(home));
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    char tmpl[] = "/tmp/ruvok-install.XXXXXX";
    if (::mkdtemp(tmpl) == nullptr)
        return 2;
    g_prefix = tmpl;
    const Output installed = Shell(std::string(RUVOK_CMAKE) + " --install " + Quoted(RUVOK_BUILD_DIR) +
                                 " --prefix " + Quoted(g_prefix));
    if (installed.status != 0) {
        std::fprintf(stderr, "cmake --install failed:\n%s", installed.text.c_str());
        return 2;
    }
    const int result = RUN_ALL_TESTS();
    Shell("rm -rf " + Quoted(g_prefix));
    return result;
}
