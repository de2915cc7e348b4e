#include "shellchannel.h"

#include "app.h"
#include "document.h"
#include "file.h"
#include "frame.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#ifdef _WIN32
#include <QLockFile>
#endif
#include <QPointer>
#include <QTimer>
#include <QWidget>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One request a connection: "open " and the path, percent-encoded, then a
// line end; the answer "ok" and a line end once it is taken.
const QByteArray kOpen("open ");
const QByteArray kOk("ok\n");
constexpr int kMaxRequest = 64 * 1024;
constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 5000;
constexpr int kLockMs = 3000;

// A folder only this user can enter, for the socket when there is no
// runtime folder.
QString PrivateTempFolder()
{
#ifdef _WIN32
    return QDir::tempPath();
#else
    const QString dir = QDir::tempPath() + QStringLiteral("/ruvok-") + QString::number(::getuid());
    const QByteArray local = QFile::encodeName(dir);
    ::mkdir(local.constData(), 0700);
    struct stat st;
    if (::lstat(local.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 0077) != 0)
        return QString();  // someone else's: no channel rather than a leak
    return dir;
#endif
}

}  // namespace

CShellChannel::CShellChannel(const QString& name, QObject* parent)
    : QObject(parent), m_path(SocketPath(name))
{
}

CShellChannel::~CShellChannel()
{
    if (m_pServer != nullptr)
        m_pServer->close();  // removes the socket
    UnlockSocket();
}

QString CShellChannel::SocketPath(const QString& name)
{
#ifdef _WIN32
    return name + QStringLiteral("-shell");
#else
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = PrivateTempFolder();
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

BOOL CShellChannel::Forward(const std::string& path)
{
    if (m_path.isEmpty())
        return FALSE;
    // Held until this start listens itself, so that two starts at once
    // don't both take the file.
    LockSocket();

    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectMs))
        return FALSE;  // nobody listens, or a dead viewer's socket
    const std::string full = AfxFullPath(path);
    QByteArray request = kOpen + QByteArray::fromStdString(full).toPercentEncoding() + '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(kAnswerMs))
        return FALSE;
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kAnswerMs))
        answer += socket.readAll();
    if (answer != kOk)
        return FALSE;
    UnlockSocket();
    return TRUE;
}

BOOL CShellChannel::Listen()
{
    if (m_pServer != nullptr)
        return TRUE;
    if (m_path.isEmpty() || !LockSocket())
        return FALSE;
    // The folder is the user's alone. (Qt's access options would bind
    // elsewhere and rename the socket into place, over a live viewer's.)
    auto* pServer = new QLocalServer(this);
    if (!pServer->listen(m_path)) {
        // A socket is there: a live viewer answers on it, a dead one's does not.
        QLocalSocket probe;
        probe.connectToServer(m_path);
        const bool live = probe.waitForConnected(kConnectMs);
        probe.abort();
        if (live || !QLocalServer::removeServer(m_path) || !pServer->listen(m_path)) {
            delete pServer;
            UnlockSocket();
            return FALSE;
        }
    }
    UnlockSocket();
    m_pServer = pServer;
    connect(m_pServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* pSocket = m_pServer->nextPendingConnection()) {
            connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
            connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] {
                if (!pSocket->canReadLine()) {
                    if (pSocket->bytesAvailable() > kMaxRequest)
                        pSocket->abort();
                    return;
                }
                QByteArray line = pSocket->readLine(kMaxRequest).trimmed();
                if (!line.startsWith(kOpen)) {
                    pSocket->abort();
                    return;
                }
                const std::string path =
                    QByteArray::fromPercentEncoding(line.mid(kOpen.size())).toStdString();
                pSocket->write(kOk);
                pSocket->flush();
                pSocket->disconnectFromServer();
                // Opened from the event loop: the save prompt may come first.
                QPointer<CShellChannel> self(this);
                QTimer::singleShot(0, this, [self, path] {
                    if (self && self->m_onOpen)
                        self->m_onOpen(path);
                });
            });
        }
    });
    return TRUE;
}

BOOL CShellChannel::IsListening() const
{
    return m_pServer != nullptr && m_pServer->isListening();
}

// ---------------------------------------------------------------------------
// The application's side

void CWinApp::EnableShellOpen()
{
    if (m_pShellChannel != nullptr)
        return;
    m_pShellChannel = new CShellChannel(QString::fromStdString(m_pszAppName != nullptr
                                                                    ? m_pszAppName
                                                                    : "ruvok"));
    m_pShellChannel->m_onOpen = [this](const std::string& path) { OpenFromShell(path, TRUE); };
}

void CWinApp::OpenFromShell(const std::string& path, BOOL bRaise)
{
    QWidget* pWidget = m_pMainWnd != nullptr ? m_pMainWnd->GetWidget() : nullptr;
    if (pWidget != nullptr && bRaise) {
        // the window comes to the front, restored if it was minimised
        pWidget->setWindowState(pWidget->windowState() & ~Qt::WindowMinimized);
        pWidget->show();
        pWidget->raise();
        pWidget->activateWindow();
    }
    // A dialog the user has open (a prompt, the file dialog) is answered
    // first: the file waits for it rather than opening from inside it.
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(200, m_pShellChannel, [this, path] { OpenFromShell(path, FALSE); });
        return;
    }
    // as a file named at start: opened after the save prompt
    OpenDocumentFile(path.c_str());
}

BOOL CWinApp::ForwardToRunningInstance(const std::string& fileName)
{
    return m_pShellChannel != nullptr && m_pShellChannel->Forward(fileName);
}

void CWinApp::ListenForShellRequests()
{
    if (m_pShellChannel != nullptr)
        m_pShellChannel->Listen();
}
