// CMainFrame: the viewer's window with its tool bar and status bar (see mainframe.h).
#include "mainframe.h"

#include "dc.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

// The status bar's panes, left to right: the message pane, then the lock
// keys.
const UINT kStatusIndicators[] = {
    ID_SEPARATOR,
    ID_INDICATOR_KANA,
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};

}  // namespace

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CFrameWnd::OnCreate(lpcs) == -1)
        return -1;

    RECT noBorders;
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT,
                            WS_CHILD | WS_VISIBLE | CBRS_GRIPPER | CBRS_TOP | CBRS_FLYBY
                                | CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC,
                            noBorders, AFX_IDW_TOOLBAR)
        || !m_toolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;

    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR)
        || !m_statusBar.SetIndicators(kStatusIndicators,
                                      sizeof kStatusIndicators / sizeof kStatusIndicators[0]))
        return -1;

    m_toolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_toolBar, 0, nullptr);
    return 0;
}

void CMainFrame::OnPaint()
{
    CPaintDC dc(this);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    return CFrameWnd::PreCreateWindow(cs);
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CFrameWnd::WindowProc(message, wParam, lParam);
}
