// The single-instance channel on its own: what a running viewer takes from
// its socket, what it refuses, and that nothing sent to it stops it
// listening or takes what isn't a socket.
#include "file.h"
#include "shellchannel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Sends bytes on a connection of its own to the socket at path and closes
// its side; what comes back before the other side closes. The channel
// answers from this thread's event loop, which runs meanwhile.
std::string Exchange(const std::string& path, const std::string& bytes)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return "<no connection>";
    }
    std::size_t sent = 0;
    std::string answer;
    QElapsedTimer timer;
    timer.start();
    bool closed = false;
    bool shut = false;
    while (!closed && timer.elapsed() < 3000) {
        if (sent < bytes.size()) {
            const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0)
                sent += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN)
                sent = bytes.size();  // the other side is gone
        }
        if (sent == bytes.size() && !shut) {
            ::shutdown(fd, SHUT_WR);
            shut = true;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        char buffer[64];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0)
            answer.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EAGAIN)
            closed = true;
    }
    ::close(fd);
    return closed ? answer : "<no end>";
}

struct Channel {
    QTemporaryDir run;
    std::unique_ptr<CShellChannel> channel;
    std::vector<std::string> opened;
    std::string path;

    Channel()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(run.path()));
        channel = std::make_unique<CShellChannel>(QStringLiteral("channeltest"));
        channel->m_onOpen = [this](const std::string& p) { opened.push_back(p); };
        channel->m_onPrint = [this](const std::string& p) { opened.push_back("print " + p); };
        path = CShellChannel::SocketPath(QStringLiteral("channeltest")).toStdString();
    }
};

bool Exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(ShellChannel, TakesWholeRequestsOnlyAndKeepsListening)
{
    Channel c;
    ASSERT_TRUE(c.channel->Listen());
    ASSERT_TRUE(c.channel->IsListening());
    const struct {
        std::string bytes;
        const char* answer;
        const char* opened;
        const char* why;
    } rows[] = {
        {"open /tmp/a%20b.txt\n", "ok\n", "/tmp/a b.txt", "a request"},
        {"open /tmp/%E6%97%A5.txt\r\n", "ok\n", "/tmp/\xE6\x97\xA5.txt", "a line end of CR LF"},
        {"print /tmp/c%20d.txt\n", "ok\n", "print /tmp/c d.txt", "a print request"},
        {"close /tmp/d.txt\n", "", nullptr, "not a request"},
        {"printer /tmp/d.txt\n", "", nullptr, "not a print request"},
        {"open /tmp/e.txt", "", nullptr, "cut before its line end"},
        {std::string(70 * 1024, 'x'), "", nullptr, "longer than any request"},
        {"", "", nullptr, "nothing"},
        {"open /tmp/f.txt\n", "ok\n", "/tmp/f.txt", "a request after all those"},
    };
    for (const auto& row : rows) {
        c.opened.clear();
        EXPECT_EQ(Exchange(c.path, row.bytes), row.answer) << row.why;
        Settle(20);
        if (row.opened == nullptr) {
            EXPECT_TRUE(c.opened.empty()) << row.why;
        } else {
            ASSERT_EQ(c.opened.size(), 1u) << row.why;
            EXPECT_EQ(c.opened[0], row.opened) << row.why;
        }
        EXPECT_TRUE(c.channel->IsListening()) << row.why;
    }
    c.channel.reset();
    EXPECT_FALSE(Exists(c.path)) << "the socket goes with the viewer";
}

TEST(ShellChannel, WhatIsNoSocketStaysInItsPlace)
{
    Channel c;
    {
        std::ofstream out(c.path);
        out << "the user's own";
    }
    EXPECT_FALSE(c.channel->Listen());
    EXPECT_FALSE(c.channel->Forward("/tmp/x.txt")) << "nobody listens there";
    std::ifstream in(c.path);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "the user's own");
}

namespace {

constexpr unsigned kOtherUser = 4101;

sockaddr_un AddressOf(const std::string& path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    return addr;
}

// A child process, as `uid` where it is not -1, running body; its result
// comes back through Finish.
struct Child {
    pid_t pid = -1;
    int out = -1;

    Child(int uid, const std::function<std::string()>& body)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            std::string result;
            if (uid >= 0 && (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(uid)) != 0 ||
                             ::setuid(static_cast<uid_t>(uid)) != 0))
                result = "could not become another user";
            else
                result = body();
            ssize_t ignored = ::write(fds[1], result.data(), result.size());
            (void)ignored;
            ::_exit(0);
        }
        ::close(fds[1]);
        out = fds[0];
    }
    std::string Finish()
    {
        std::string result;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(out, buffer, sizeof buffer)) > 0)
            result.append(buffer, static_cast<std::size_t>(n));
        ::close(out);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return result;
    }
};

int OpenDescriptors()
{
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d) != nullptr)
            ++n;
        ::closedir(d);
    }
    return n;
}

}  // namespace

// The runtime folder holds the socket only where it is the user's alone;
// otherwise the private folder in the temporary one does.
TEST(ShellChannel, TheRuntimeFolderOnlyWhereItIsTheUsersAlone)
{
    const struct {
        mode_t mode;
        bool otherOwner;
        bool used;
        const char* why;
    } rows[] = {
        {0700, false, true, "the user's own, closed to others"},
        {01777, false, false, "open to everyone, as /tmp"},
        {0755, false, false, "others may enter and list it"},
        {0710, false, false, "the group may enter it"},
        {0700, true, false, "another user's"},
    };
    for (const auto& row : rows) {
        if (row.otherOwner && ::geteuid() != 0)
            continue;  // only root can make another user's folder
        QTemporaryDir run;
        const QByteArray local = QFile::encodeName(run.path());
        ASSERT_EQ(::chmod(local.constData(), row.mode), 0) << row.why;
        if (row.otherOwner) {
            ASSERT_EQ(::chown(local.constData(), kOtherUser, kOtherUser), 0) << row.why;
        }
        qputenv("XDG_RUNTIME_DIR", local);
        const QString path = CShellChannel::SocketPath(QStringLiteral("channeltest"));
        EXPECT_EQ(path.startsWith(run.path() + QLatin1Char('/')), row.used)
            << row.why << ": " << path.toStdString();
        EXPECT_FALSE(path.isEmpty()) << row.why;
        if (!row.used) {
            // The private folder is named for the program the channel is.
            const QString own = QDir::tempPath() + QStringLiteral("/channeltest-") + QString::number(::getuid());
            EXPECT_TRUE(path.startsWith(own + QLatin1Char('/'))) << row.why << ": " << path.toStdString();
        }
        {
            CShellChannel channel(QStringLiteral("channeltest"));
            EXPECT_TRUE(channel.Listen()) << row.why;
            struct stat st;
            ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << row.why;
            EXPECT_EQ(st.st_mode & 0777, 0600u) << row.why << ": the socket is the user's alone";
        }
        ::chown(local.constData(), ::getuid(), ::getgid());
    }
}

// Another user's listener on the viewer's socket hears nothing of a start:
// the start opens its own window (Forward fails) and listens in its place.
// Another user's connection to the viewer is refused.
TEST(ShellChannel, AnotherUsersEndIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's socket needs root to make";
    Channel c;
    QTemporaryDir& run = c.run;
    const QByteArray folder = QFile::encodeName(run.path());
    // The other user binds in the user's folder while it is open for a moment.
    ASSERT_EQ(::chmod(folder.constData(), 0777), 0);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    Child listener(static_cast<int>(kOtherUser), [&]() -> std::string {
        ::close(ready[0]);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un addr = AddressOf(c.path);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(fd, 4) != 0 || ::chmod(c.path.c_str(), 0777) != 0)
            return "could not listen";
        ssize_t ignored = ::write(ready[1], "r", 1);
        (void)ignored;
        ::close(ready[1]);
        std::string heard;
        timeval tv{3, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        const int conn = ::accept(fd, nullptr, nullptr);
        if (conn >= 0) {
            ::setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
            char buffer[256];
            const ssize_t n = ::recv(conn, buffer, sizeof buffer, 0);
            if (n > 0)
                heard.assign(buffer, static_cast<std::size_t>(n));
            ignored = ::send(conn, "ok\n", 3, MSG_NOSIGNAL);
        }
        return heard;
    });
    ::close(ready[1]);
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the other user's listener never came up";
    ::close(ready[0]);
    ASSERT_EQ(::chmod(folder.constData(), 0700), 0);

    EXPECT_FALSE(c.channel->Forward("/tmp/private/one.txt")) << "a foreign listener took the file";
    EXPECT_TRUE(c.channel->Listen()) << "the start does not listen in the foreign socket's place";
    ::kill(listener.pid, SIGTERM);
    EXPECT_EQ(listener.Finish(), "") << "the foreign listener heard the request";

    // And the other way: another user's request, even where the socket's
    // mode would let it in, is not taken.
    ASSERT_EQ(::chmod(c.path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.constData(), 0755), 0);
    Child sender(static_cast<int>(kOtherUser), [&]() -> std::string {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un addr = AddressOf(c.path);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
            return "<no connection>";
        const std::string request = "open /tmp/planted.txt\n";
        ssize_t ignored = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        (void)ignored;
        timeval tv{3, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char buffer[16];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    });
    QElapsedTimer timer;
    timer.start();
    while (::waitpid(sender.pid, nullptr, WNOHANG) == 0 && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(sender.Finish(), "") << "another user's request was answered";
    Settle(20);
    EXPECT_TRUE(c.opened.empty()) << "another user's request was taken";
    ::chmod(folder.constData(), 0700);
}

// A flood of connections that send nothing takes no more than a few of the
// viewer's descriptors and only for a moment: a save meanwhile succeeds, and
// a request after the flood is answered.
TEST(ShellChannel, AFloodOfConnectionsTakesNothingTheUserNeeds)
{
    Channel c;
    ASSERT_TRUE(c.channel->Listen());
    const int before = OpenDescriptors();
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    Child flood(-1, [&]() -> std::string {
        ::close(go[0]);
        std::vector<int> held;
        for (int i = 0; i < 1000; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            const sockaddr_un addr = AddressOf(c.path);
            if (fd < 0)
                break;
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
                ::close(fd);
                ::usleep(1000);  // the backlog is full: wait for the viewer
                continue;
            }
            held.push_back(fd);
        }
        ssize_t ignored = ::write(go[1], "f", 1);
        (void)ignored;
        ::sleep(3);
        return std::string();
    });
    ::close(go[1]);
    int most = before;
    QElapsedTimer timer;
    timer.start();
    bool flooded = false;
    while (timer.elapsed() < 8000 && !flooded) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        most = std::max(most, OpenDescriptors());
        char byte;
        ::fcntl(go[0], F_SETFL, O_NONBLOCK);
        flooded = ::read(go[0], &byte, 1) == 1;
    }
    ::close(go[0]);
    EXPECT_TRUE(flooded) << "the flood never got its connections in";

    // A save while the flood holds its connections.
    QTemporaryDir dir;
    const std::string path = QFile::encodeName(dir.path()).toStdString() + "/saved.txt";
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        file.Write("saved", 5);
        EXPECT_NO_THROW(file.Close());
    }
    Settle(1500);  // every held connection dropped by now
    most = std::max(most, OpenDescriptors());
    EXPECT_LE(most, before + 12) << "the flood took the viewer's descriptors";
    EXPECT_EQ(Exchange(c.path, "open /tmp/after.txt\n"), "ok\n");
    Settle(20);
    EXPECT_EQ(c.opened, std::vector<std::string>{"/tmp/after.txt"});
    ::kill(flood.pid, SIGTERM);
    flood.Finish();
}
