// CMainFrame: the viewer's top-level window, the framework's frame with a
// dockable tool bar at the top and a status bar at the bottom.
#ifndef RUVOK_MAINFRAME_H
#define RUVOK_MAINFRAME_H

#include "frame.h"
#include "statusbar.h"
#include "toolbar.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnPaint();

    CStatusBar m_statusBar;
    CToolBar m_toolBar;

    DECLARE_MESSAGE_MAP()
};

#endif
