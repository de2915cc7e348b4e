// Start-up work beside the application's start (see startwork.h).
#include "startwork.h"

#include "cp932text.h"
#include "resscript.h"

#ifdef RUVOK_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

// One thread, in the order the application needs them: the fonts, the
// resource script (the first text the application shows is in it), the
// tables. A second thread would only take time from the first on a busy
// machine.
CStartupWork::CStartupWork()
{
    m_fontsRead = m_fontsDone.get_future();
    m_thread = std::thread([this] {
#ifdef RUVOK_HAVE_FONTCONFIG
        // Reading the configuration and the list of fonts; Qt's font
        // database then finds it done. It touches nothing Qt has.
        FcInit();
#endif
        m_fontsDone.set_value();
        AfxGetResourceScript();
        cp932::PrepareTables();
    });
}

CStartupWork::~CStartupWork()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CStartupWork::WaitForFonts()
{
    if (m_fontsRead.valid())
        m_fontsRead.wait();
}
