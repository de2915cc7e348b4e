// Start-up work beside the application's start (see startwork.h).
#include "startwork.h"

#include "cp932text.h"
#include "resscript.h"

#ifdef RUVOK_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif
#ifdef RUVOK_HAVE_DBUS
#include <QDBusConnection>
#include <QGuiApplication>
#endif

namespace {

// Connects to the session bus now, as Qt's bridge to screen readers will
// when the first widget gets its accessible name: the main thread would
// wait there for the connection (a few milliseconds on a desktop, longer
// where there is no bus and D-Bus tries to start one).
void ConnectToSessionBus()
{
#ifdef RUVOK_HAVE_DBUS
    if (QGuiApplication::platformName() == QStringLiteral("xcb"))
        QDBusConnection::sessionBus();
#endif
}

}  // namespace

// One thread, in the order the application needs them. A second thread
// would only take time from the first on a busy machine.
CStartupWork::CStartupWork()
{
    m_fontsRead = m_fontsDone.get_future();
    m_appReadyRead = m_appReady.get_future();
    m_thread = std::thread([this] {
#ifdef RUVOK_HAVE_FONTCONFIG
        // Reading the configuration and the list of fonts; Qt's font
        // database then finds it done. It touches nothing Qt has.
        FcInit();
#endif
        m_fontsDone.set_value();
        AfxGetResourceScript();
        m_appReadyRead.wait();
        ConnectToSessionBus();
        cp932::PrepareTables();
    });
}

CStartupWork::~CStartupWork()
{
    if (!m_bAppReadySet)
        m_appReady.set_value();  // (the start ended before; nothing waits for the bus)
    if (m_thread.joinable())
        m_thread.join();
}

void CStartupWork::WaitForFonts()
{
    if (m_fontsRead.valid())
        m_fontsRead.wait();
}

void CStartupWork::ApplicationReady()
{
    if (!m_bAppReadySet) {
        m_bAppReadySet = true;
        m_appReady.set_value();
    }
}
