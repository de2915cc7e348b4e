// Start-up work that needs no window, done on another thread while the
// application object connects to the display and the main window is made:
// the font configuration (the longest single step of a start, which the
// first font needs), the resource script, the connection to the session bus
// (which the first widget named for screen readers waits for) and the code
// page's tables (which the first text needs).
#ifndef RUVOK_STARTWORK_H
#define RUVOK_STARTWORK_H

#include <future>
#include <thread>

class CStartupWork {
public:
    CStartupWork();   // starts it
    ~CStartupWork();  // waits for what is still going on

    // Waits until the font configuration is read; before anything asks
    // for a font.
    void WaitForFonts();
    // The application object is there: what needs it may start.
    void ApplicationReady();

    CStartupWork(const CStartupWork&) = delete;
    CStartupWork& operator=(const CStartupWork&) = delete;

private:
    std::promise<void> m_fontsDone;
    std::future<void> m_fontsRead;
    std::promise<void> m_appReady;
    std::future<void> m_appReadyRead;
    bool m_bAppReadySet = false;
    std::thread m_thread;
};

#endif
