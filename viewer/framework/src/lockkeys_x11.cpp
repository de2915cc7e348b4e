// Lock keys on X11: the keyboard's named indicators through XKB, on the
// display Qt is connected to.
#include "lockkeys.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {

class XkbLockKeys : public CLockKeySource {
public:
    explicit XkbLockKeys(Display* pDisplay) : m_pDisplay(pDisplay)
    {
        const char* const names[kLocks] = {"Caps Lock", "Num Lock", "Scroll Lock", "Kana"};
        for (int i = 0; i < kLocks; ++i) {
            const Atom atom = XInternAtom(m_pDisplay, names[i], True);
            int index = -1;
            if (atom != None
                && XkbGetNamedIndicator(m_pDisplay, atom, &index, nullptr, nullptr, nullptr))
                m_index[i] = index;
        }
    }

    BOOL IsLockOn(int nVirtKey) override
    {
        int lock = -1;
        switch (nVirtKey) {
        case VK_CAPITAL: lock = 0; break;
        case VK_NUMLOCK: lock = 1; break;
        case VK_SCROLL: lock = 2; break;
        case VK_KANA: lock = 3; break;
        default: return FALSE;
        }
        if (m_index[lock] < 0)
            return FALSE;  // this keyboard has no such indicator
        // one request to the server serves the four panes of an update
        if (!m_fresh.isValid() || m_fresh.elapsed() > 50) {
            unsigned int state = 0;
            m_state =
                XkbGetIndicatorState(m_pDisplay, XkbUseCoreKbd, &state) == Success ? state : 0;
            m_fresh.start();
        }
        return (m_state >> m_index[lock]) & 1u ? TRUE : FALSE;
    }

private:
    static constexpr int kLocks = 4;
    Display* m_pDisplay;
    int m_index[kLocks] = {-1, -1, -1, -1};
    unsigned int m_state = 0;
    QElapsedTimer m_fresh;
};

}  // namespace

CLockKeySource* AfxPlatformLockKeySource()
{
    auto* pApp = qGuiApp;
    if (pApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* pX11 = pApp->nativeInterface<QNativeInterface::QX11Application>();
    if (pX11 == nullptr || pX11->display() == nullptr)
        return nullptr;
    static XkbLockKeys source(pX11->display());
    return &source;
}
