// The single-instance channel over a Unix domain socket in a folder that is
// the user's alone (see shellchannel.h). Plain sockets, so that a start
// needs no network library.
#include "shellchannel.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The address of path; false when the path is too long for one.
bool AddressOf(const QString& path, sockaddr_un& addr)
{
    const QByteArray local = QFile::encodeName(path);
    std::memset(&addr, 0, sizeof addr);
    if (local.isEmpty() || static_cast<std::size_t>(local.size()) >= sizeof addr.sun_path)
        return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, local.constData(), static_cast<std::size_t>(local.size()));
    return true;
}

void SetTimeouts(int fd, int ms)
{
    const timeval tv{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

// A socket connected to addr, or -1: nobody listens there, or it is a dead
// viewer's socket.
int ConnectTo(const sockaddr_un& addr, int ms)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    SetTimeouts(fd, ms);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the other end of a connected socket is this user.
bool PeerIsThisUser(int fd)
{
    ucred cred{};
    socklen_t size = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && size == sizeof cred &&
           cred.uid == ::getuid();
}

// A socket listening at addr (not blocking), or -1 with errno set. Only
// this user may connect to it.
int ListenAt(const sockaddr_un& addr)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    const mode_t mask = ::umask(0177);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::umask(mask);
    if (!bound || ::chmod(addr.sun_path, 0600) != 0 || ::listen(fd, 16) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent,
                                 static_cast<std::size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

// One connection to the listening viewer: its request line is read as it
// comes, answered, and the connection closed. One that sends nothing
// useful in time is dropped.
class Connection : public QObject {
public:
    Connection(int fd, QObject* parent, std::function<bool(const QByteArray&)> take,
               const QByteArray& answer, int limit, int ms, int& open)
        : QObject(parent), m_fd(fd), m_take(std::move(take)), m_answer(answer), m_limit(limit),
          m_open(open)
    {
        ++m_open;
        m_pNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_pNotifier, &QSocketNotifier::activated, this, [this] { Read(); });
        QTimer::singleShot(ms, this, [this] { deleteLater(); });
    }
    ~Connection() override
    {
        ::close(m_fd);
        --m_open;
    }

private:
    void Read()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;  // more later
            if (n <= 0)
                break;  // closed, or an error
            m_line.append(buffer, n);
            const qsizetype end = m_line.indexOf('\n');
            if (end >= 0) {
                if (m_take(m_line.left(end + 1)))
                    SendAll(m_fd, m_answer);
                break;
            }
            if (m_line.size() > m_limit)
                break;
        }
        m_pNotifier->setEnabled(false);
        deleteLater();
    }

    int m_fd;
    std::function<bool(const QByteArray&)> m_take;
    QByteArray m_answer;
    int m_limit;
    QByteArray m_line;
    int& m_open;  // the channel's count of connections
    QSocketNotifier* m_pNotifier;
};

}  // namespace

CShellChannel::~CShellChannel()
{
    if (m_serverFd >= 0) {
        delete m_pNotifier;
        ::close(m_serverFd);
        ::unlink(QFile::encodeName(m_path).constData());
    }
    UnlockSocket();
}

BOOL CShellChannel::Forward(const std::string& path, BOOL bPrint)
{
    sockaddr_un addr;
    if (!AddressOf(m_path, addr))
        return FALSE;
    // Held until this start listens itself, so that two starts at once
    // don't both take the file.
    LockSocket();

    const int fd = ConnectTo(addr, kConnectMs);
    if (fd < 0)
        return FALSE;
    // Another user's socket is no viewer of ours, and hears nothing.
    if (!PeerIsThisUser(fd)) {
        ::close(fd);
        return FALSE;
    }
    SetTimeouts(fd, kAnswerMs);
    QByteArray answer;
    if (SendAll(fd, RequestFor(path, bPrint))) {
        char buffer[16];
        while (!answer.contains('\n') && answer.size() < 16) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            answer.append(buffer, n);
        }
    }
    ::close(fd);
    if (answer != Answer())
        return FALSE;
    UnlockSocket();
    return TRUE;
}

BOOL CShellChannel::Listen()
{
    if (m_serverFd >= 0)
        return TRUE;
    sockaddr_un addr;
    if (!AddressOf(m_path, addr) || !LockSocket())
        return FALSE;
    int fd = ListenAt(addr);
    if (fd < 0 && errno == EADDRINUSE) {
        // A socket is there: a live viewer answers on it, a dead one's does
        // not, and is taken over. Anything but a socket stays.
        // Another user's socket in this user's folder is taken over too.
        struct stat st;
        const int probe = ConnectTo(addr, kConnectMs);
        const bool live = probe >= 0 && PeerIsThisUser(probe);
        if (probe >= 0)
            ::close(probe);
        if (!live && ::lstat(addr.sun_path, &st) == 0 && S_ISSOCK(st.st_mode) &&
            ::unlink(addr.sun_path) == 0)
            fd = ListenAt(addr);
    }
    UnlockSocket();
    if (fd < 0)
        return FALSE;
    m_serverFd = fd;
    m_pNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] { AcceptRequests(); });
    return TRUE;
}

void CShellChannel::AcceptRequests()
{
    for (;;) {
        const int fd = ::accept4(m_serverFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;  // none waiting
        }
        // Only this user's, and only a few at once: no flood of connections
        // takes the descriptors the user's saves and windows need.
        if (m_connections >= kMaxConnections || !PeerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        new Connection(
            fd, this, [this](const QByteArray& line) { return Take(line); }, Answer(),
            kMaxRequest, kIdleMs, m_connections);
    }
}

BOOL CShellChannel::IsListening() const
{
    return m_serverFd >= 0;
}
