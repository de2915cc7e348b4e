// The single-instance channel over Qt's local sockets (named pipes), where
// there are no Unix domain sockets (see shellchannel.h).
#include "shellchannel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

CShellChannel::~CShellChannel()
{
    if (m_pServer != nullptr)
        m_pServer->close();  // removes the socket
    UnlockSocket();
}

BOOL CShellChannel::Forward(const std::string& path, BOOL bPrint)
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
    socket.write(RequestFor(path, bPrint));
    if (!socket.waitForBytesWritten(kAnswerMs))
        return FALSE;
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kAnswerMs))
        answer += socket.readAll();
    if (answer != Answer())
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
                if (!Take(pSocket->readLine(kMaxRequest))) {
                    pSocket->abort();
                    return;
                }
                pSocket->write(Answer());
                pSocket->flush();
                pSocket->disconnectFromServer();
            });
        }
    });
    return TRUE;
}

BOOL CShellChannel::IsListening() const
{
    return m_pServer != nullptr && m_pServer->isListening();
}
