// Another program's selection on a real X server, for the tests that run on
// an Xvfb of their own (started here): xclip holds text under one target,
// and reads back what a selection offers.
#ifndef RUVOK_TESTS_X11_OFFER_H
#define RUVOK_TESTS_X11_OFFER_H

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
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

// An Xvfb of the test program's own, on the first free display number from
// `first`, made this program's display (DISPLAY, the xcb platform) until it
// is stopped with the object.
class Xvfb {
public:
    explicit Xvfb(int first, const char* size = "640x480x24")
    {
        int display = first;
        while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display))
               || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
            ++display;
        m_p.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(display), QStringLiteral("-screen"),
                                           QStringLiteral("0"), QLatin1String(size),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!m_p.waitForStarted())
            return;
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
        for (int i = 0; i < 200 && !QFile::exists(socket); ++i)
            QThread::msleep(20);
        qputenv("DISPLAY", QStringLiteral(":%1").arg(display).toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
        m_ok = true;
    }
    ~Xvfb()
    {
        m_p.terminate();
        m_p.waitForFinished();
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool Ok() const { return m_ok; }

private:
    QProcess m_p;
    bool m_ok = false;
};

}  // namespace x11test

#endif
