// What a control bar asks of the window that keeps it among its bars (its
// frame): WM_DOCKSITE, with the request in wParam and an AfxDockRequest* in
// lParam. The bars know that window only as a CWnd, as a child control
// knows its parent.
#ifndef RUVOK_DOCKSITE_H
#define RUVOK_DOCKSITE_H

#include "afx.h"

class CControlBar;

constexpr UINT WM_DOCKSITE = 0x0370;

enum AfxDockSiteRequest : WPARAM {
    AFX_DOCKSITE_ADD = 1,    // keep the bar among the window's bars
    AFX_DOCKSITE_REMOVE,     // let it go: it is going
    AFX_DOCKSITE_DOCK,       // dock it on side nDockBarID (AFX_IDW_DOCKBAR_*)
    AFX_DOCKSITE_FLOAT,      // float it, its small window at x, y on the screen
    AFX_DOCKSITE_SHOW,       // show it, or hide it (bShow)
    AFX_DOCKSITE_DOCKSTYLE,  // answers the sides (CBRS_ALIGN_*) bars may dock on
};

struct AfxDockRequest {
    CControlBar* pBar = nullptr;
    UINT nDockBarID = 0;
    LONG x = 0;
    LONG y = 0;
    BOOL bShow = FALSE;
};

#endif
