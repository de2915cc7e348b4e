// CControlBar: what the tool bar and the status bar share as bars of a frame:
// their bar styles, the sides they may dock on, showing and hiding, and
// taking their items' state from a command route. A bar knows the frame it
// docks in only as its parent window and talks to it by messages: WM_COMMAND
// for its buttons, WM_SETMESSAGESTRING for prompts, WM_DOCKSITE to be docked,
// floated, shown or let go.
#ifndef RUVOK_CONTROLBAR_H
#define RUVOK_CONTROLBAR_H

#include "wnd.h"

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();
    ~CControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }

    // The sides (CBRS_ALIGN_*) the bar may be docked on; 0: never docks.
    // Either way the user may now drag the bar (dockcontext.h), to float it
    // at least.
    void EnableDocking(DWORD dwDockStyle);
    BOOL IsDockingEnabled() const { return m_bDockingEnabled; }

    // Whether the bar shows (floating bars together with their small frame).
    BOOL IsVisible() const;
    BOOL IsFloating() const { return m_pMiniFrame != nullptr && m_bFloating; }
    // The side the bar is docked on (AFX_IDW_DOCKBAR_*), or
    // AFX_IDW_DOCKBAR_FLOAT.
    UINT GetDockBarID() const { return m_nDockBarID; }

    // The window that keeps the bar among its bars (its parent frame), and
    // that its commands and prompts go to; NULL before it took the bar in
    // and once it has let it go.
    CWnd* GetDockSite() const { return m_pDockSite; }
    // Set by the dock site as it takes the bar in (NULL as it lets it go).
    void SetDockSite(CWnd* pSite) { m_pDockSite = pSite; }
    // Asks the dock site to show the prompt of nID in its message pane
    // (AFX_IDS_IDLEMESSAGE: the idle text).
    void SendPrompt(UINT nID) const;
    // The small window of a floating bar; NULL while docked.
    QWidget* GetFloatingWindow() const;
    // The small window made for the bar's first float, kept for the next
    // while it is docked; NULL before.
    QWidget* GetMiniFrame() const { return m_pMiniFrame; }

    // The dock site tells the bar where it now is: docked on side
    // nDockBarID with the side's CBRS_* border and alignment style (it
    // leaves its small window first)...
    void OnDocked(UINT nDockBarID, DWORD dwSideStyle);
    // ...or floating in pMiniFrame, which the bar deletes when it goes.
    void OnFloated(QWidget* pMiniFrame);

    // Brings every item up to date from pTarget's command route.
    virtual void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) = 0;

    DWORD m_dwStyle = 0;      // bar styles (CBRS_*)
    DWORD m_dwDockStyle = 0;  // sides it may dock on

protected:
    // Creates the window with the window part of dwStyle and keeps the bar
    // part; the frame parent then places it.
    BOOL CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID);
    void OnWidgetDestroyed() override;

private:
    // Asks the dock site to let the bar go.
    void LeaveDockSite();

    CWnd* m_pDockSite = nullptr;
    BOOL m_bDockingEnabled = FALSE;
    QWidget* m_pMiniFrame = nullptr;
    BOOL m_bFloating = FALSE;
    UINT m_nDockBarID = 0;
};

#endif
