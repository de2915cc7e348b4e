// The single-instance channel (see shellchannel.h): where its socket lives,
// the lock two starts take it under, and the words sent over it. How they
// travel is in shellchannel_unix.cpp (Unix domain sockets) or
// shellchannel_local.cpp (Qt's local sockets).
#include "shellchannel.h"

#include "file.h"

#include <QByteArray>
#include <QDir>
#ifdef _WIN32
#include <QLockFile>
#endif
#include <QPointer>
#include <QTimer>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One request a connection: "open " (or "print ") and the path,
// percent-encoded, then a line end; the answer "ok" and a line end once it
// is taken.
const QByteArray kOpen("open ");
const QByteArray kPrint("print ");
const QByteArray kOk("ok\n");
constexpr int kLockMs = 3000;

#ifndef _WIN32
// Whether dir is a folder of this user's that no one else may enter.
bool IsPrivateFolder(const QString& dir)
{
    struct stat st;
    return ::lstat(QFile::encodeName(dir).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 0077) == 0;
}
#endif

// A folder only this user can enter, named for the program, for the socket
// when there is no runtime folder.
QString PrivateTempFolder(const QString& name)
{
#ifdef _WIN32
    Q_UNUSED(name);
    return QDir::tempPath();
#else
    const QString dir = QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') + QString::number(::getuid());
    ::mkdir(QFile::encodeName(dir).constData(), 0700);
    if (!IsPrivateFolder(dir))
        return QString();  // someone else's: no channel rather than a leak
    return dir;
#endif
}

}  // namespace

CShellChannel::CShellChannel(const QString& name, QObject* parent)
    : QObject(parent), m_path(SocketPath(name))
{
}

QString CShellChannel::SocketPath(const QString& name)
{
#ifdef _WIN32
    return name + QStringLiteral("-shell");
#else
    // A runtime folder others may enter (a shared one, or another user's)
    // would let them listen in the viewer's place.
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !IsPrivateFolder(dir))
        dir = PrivateTempFolder(name);
    if (dir.isEmpty())
        return QString();
    // One viewer a display: a start on another display (a virtual one, say)
    // gets a window of its own there.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    for (QChar& c : display) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    }
    if (!display.isEmpty())
        display.prepend(QLatin1Char('-'));
    return dir + QLatin1Char('/') + name + display + QStringLiteral(".shell");
#endif
}

QByteArray CShellChannel::RequestFor(const std::string& path, BOOL bPrint)
{
    return (bPrint ? kPrint : kOpen) + QByteArray::fromStdString(AfxFullPath(path)).toPercentEncoding()
           + '\n';
}

const QByteArray& CShellChannel::Answer()
{
    return kOk;
}

bool CShellChannel::Take(const QByteArray& line)
{
    const QByteArray request = line.trimmed();
    const bool print = request.startsWith(kPrint);
    if (!print && !request.startsWith(kOpen))
        return false;
    const qsizetype at = print ? kPrint.size() : kOpen.size();
    const std::string path = QByteArray::fromPercentEncoding(request.mid(at)).toStdString();
    // Opened from the event loop: the save prompt may come first.
    QPointer<CShellChannel> self(this);
    QTimer::singleShot(0, this, [self, path, print] {
        if (!self)
            return;
        if (print && self->m_onPrint)
            self->m_onPrint(path);
        else if (!print && self->m_onOpen)
            self->m_onOpen(path);
    });
    return true;
}

// Two starts at once check and take the socket one after the other.
bool CShellChannel::LockSocket()
{
#ifdef _WIN32
    if (m_lock)
        return true;
    auto lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    lock->setStaleLockTime(10000);
    if (!lock->tryLock(kLockMs))
        return false;
    m_lock = std::move(lock);
    return true;
#else
    // flock rather than a lock file: nothing to sync to disk, and nothing
    // left behind by a viewer that crashed
    if (m_lockFd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(m_path + QStringLiteral(".lock"));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    for (int waited = 0; ::flock(fd, LOCK_EX | LOCK_NB) != 0; waited += 10) {
        if (waited >= kLockMs) {
            ::close(fd);
            return false;
        }
        ::usleep(10000);
    }
    m_lockFd = fd;
    return true;
#endif
}

void CShellChannel::UnlockSocket()
{
#ifdef _WIN32
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
#else
    if (m_lockFd >= 0) {
        ::close(m_lockFd);  // releases the lock; the file stays for the next start
        m_lockFd = -1;
    }
#endif
}
