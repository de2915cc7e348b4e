// Start-up work beside the application's start (see startwork.h).
#include "startwork.h"

#include "cp932text.h"

#ifdef RUVOK_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

CStartupWork::CStartupWork()
{
#ifdef RUVOK_HAVE_FONTCONFIG
    // Reading the configuration and the list of fonts; Qt's font database
    // then finds it done. FcInit may run beside the rest of the start: it
    // touches nothing Qt has.
    m_fonts = std::thread([] { FcInit(); });
#endif
    m_codePage = std::thread([] { cp932::PrepareTables(); });
}

CStartupWork::~CStartupWork()
{
    WaitForFonts();
    if (m_codePage.joinable())
        m_codePage.join();
}

void CStartupWork::WaitForFonts()
{
    if (m_fonts.joinable())
        m_fonts.join();
}
