// The single-instance channel: a second start with a file hands it to the
// viewer that runs already, through a local socket of the user's own (what
// DDE does on Windows). A socket left behind by a viewer that crashed is
// taken over; it never keeps a new viewer from starting.
#ifndef RUVOK_SHELLCHANNEL_H
#define RUVOK_SHELLCHANNEL_H

#include "afx.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#ifdef _WIN32
class QLocalServer;
class QLockFile;
#else
class QSocketNotifier;
#endif

class CShellChannel : public QObject {
    Q_OBJECT
public:
    // The socket for this user and application; lpszName names it.
    explicit CShellChannel(const QString& name, QObject* parent = nullptr);
    ~CShellChannel() override;

    // Where the socket lives: in the user's runtime folder where it is the
    // user's own and closed to others, else a private folder in the
    // temporary one; named after the application and the display.
    static QString SocketPath(const QString& name);

    // Hands the path to a running viewer, to open or (bPrint) to print on
    // its printer; TRUE when it acknowledged it.
    BOOL Forward(const std::string& path, BOOL bPrint = FALSE);
    // Starts listening unless another viewer does; TRUE when this one does.
    BOOL Listen();
    BOOL IsListening() const;

    // What a request runs: the path (absolute) to open, or to print.
    std::function<void(const std::string&)> m_onOpen;
    std::function<void(const std::string&)> m_onPrint;

private:
    // The channel's words: the request for path, the answer to one.
    static constexpr int kMaxRequest = 64 * 1024;
    static constexpr int kConnectMs = 1000;
    static constexpr int kAnswerMs = 5000;
    // A connection to the listening viewer has this long to send its
    // request; at most so many are open at once.
    static constexpr int kIdleMs = 1000;
    static constexpr int kMaxConnections = 8;
    static QByteArray RequestFor(const std::string& path, BOOL bPrint = FALSE);
    static const QByteArray& Answer();
    // Takes a request line; false when it is none. Its file opens from the
    // event loop.
    bool Take(const QByteArray& line);

    bool LockSocket();
    void UnlockSocket();

    QString m_path;
#ifdef _WIN32
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_pServer = nullptr;
#else
    void AcceptRequests();

    int m_lockFd = -1;    // an flock()ed file: the kernel frees it with the process
    int m_serverFd = -1;  // listening
    QSocketNotifier* m_pNotifier = nullptr;
    int m_connections = 0;
#endif
};

#endif
