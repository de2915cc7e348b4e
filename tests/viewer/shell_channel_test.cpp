// The single-instance channel on its own: what a running viewer takes from
// its socket, what it refuses, and that nothing sent to it stops it
// listening or takes what isn't a socket.
#include "shellchannel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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
