// CFrameWnd's command route: a command goes to the active view, its
// document, the frame, then the application, and runs only while enabled;
// at idle every menu item, bar button and status pane takes its state from
// that same route.
#include "frame.h"

#include "app.h"
#include "document.h"
#include "lockkeys.h"
#include "strings_table.h"
#include "view.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

void AfxPostCommand(CFrameWnd* pFrame, UINT nID)
{
    pFrame->PostMessage(WM_COMMAND, AfxCommandWParam(nID, 0));
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra)
{
    if (CView* pView = m_pViewActive) {
        if (pView->OnCmdMsg(nID, nCode, pExtra))
            return TRUE;
        if (CDocument* pDoc = pView->GetDocument()) {
            if (pDoc->OnCmdMsg(nID, nCode, pExtra))
                return TRUE;
        }
    }
    if (CWnd::OnCmdMsg(nID, nCode, pExtra))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra);
}

BOOL CFrameWnd::IsCommandEnabled(UINT nID)
{
    CCmdUI state;
    state.m_nID = nID;
    state.DoUpdate(this, TRUE);
    return state.m_bEnabled;
}

BOOL CFrameWnd::OnCommand(UINT nID)
{
    if (!IsCommandEnabled(nID))
        return FALSE;
    return OnCmdMsg(nID, CN_COMMAND, nullptr);
}

BOOL CFrameWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // commands from menus (0), keys (1) and bars; a control's notification
    // goes along the route as it is
    if (message == WM_COMMAND && ((wParam >> 16) & 0xFFFF) <= 1) {
        if (!OnCommand(static_cast<UINT>(wParam & 0xFFFF)))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    QMainWindow* pWindow = GetMainWindow();
    if (pWindow == nullptr)
        return;
    for (QAction* pPopup : pWindow->menuBar()->actions()) {
        if (QMenu* pMenu = pPopup->menu())
            UpdateMenuCmdUI(pMenu);
    }
    // a copy: an update handler may not change the list, but be safe
    const std::vector<CControlBar*> bars = m_listControlBars;
    for (CControlBar* pBar : bars)
        pBar->OnUpdateCmdUI(this, TRUE);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    int nVirtKey = 0;
    switch (pCmdUI->m_nID) {
    case ID_INDICATOR_CAPS: nVirtKey = VK_CAPITAL; break;
    case ID_INDICATOR_NUM: nVirtKey = VK_NUMLOCK; break;
    case ID_INDICATOR_SCRL: nVirtKey = VK_SCROLL; break;
    case ID_INDICATOR_KANA: nVirtKey = VK_KANA; break;
    default: break;
    }
    pCmdUI->Enable(nVirtKey != 0 && AfxGetLockKeySource()->IsLockOn(nVirtKey));
}
