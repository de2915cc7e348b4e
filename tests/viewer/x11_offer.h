// Another program's selection on a real X server, for the tests that run on
// an Xvfb of their own: xclip holds text under one target, and reads back
// what a selection offers.
#ifndef RUVOK_TESTS_X11_OFFER_H
#define RUVOK_TESTS_X11_OFFER_H

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

namespace x11test {

// Runs p to its end while this program's event loop goes on, so that a
// request for the selection this program owns is answered.
inline QByteArray RunToEnd(QProcess& p)
{
    QElapsedTimer timer;
    timer.start();
    while (p.state() != QProcess::NotRunning && timer.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        p.waitForFinished(10);
    }
    return p.readAllStandardOutput();
}

// What the selection ("clipboard" or "primary") offers under target, as
// another program reads it.
inline QByteArray ReadSelection(const QString& target, const char* selection = "clipboard")
{
    QProcess read;
    read.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                         QLatin1String(selection), QStringLiteral("-t"), target});
    return RunToEnd(read);
}

// xclip, holding a selection with bytes under one target until stopped.
class Offer {
public:
    Offer(const QString& target, const QByteArray& bytes, const char* selection = "clipboard")
    {
        m_p.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                            QLatin1String(selection), QStringLiteral("-t"), target,
                                            QStringLiteral("-i")});
        m_p.waitForStarted();
        m_p.write(bytes);
        m_p.closeWriteChannel();
        // Owned once xclip has read its input and taken the selection.
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            if (ReadSelection(target, selection) == bytes)
                break;
            QThread::msleep(20);
        }
    }
    ~Offer()
    {
        m_p.kill();
        m_p.waitForFinished();
    }
    Offer(const Offer&) = delete;
    Offer& operator=(const Offer&) = delete;

private:
    QProcess m_p;
};

}  // namespace x11test

#endif
