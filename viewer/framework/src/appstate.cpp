// The application object and its main window, as AfxGetApp and
// AfxGetMainWnd answer.
#include "appstate.h"

namespace {
CWinApp* g_pApp = nullptr;
CWnd* const* g_ppMainWnd = nullptr;
}  // namespace

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_ppMainWnd != nullptr ? *g_ppMainWnd : nullptr;
}

void AfxSetAppState(CWinApp* pApp, CWnd* const* ppMainWnd)
{
    g_pApp = pApp;
    g_ppMainWnd = pApp != nullptr ? ppMainWnd : nullptr;
}
