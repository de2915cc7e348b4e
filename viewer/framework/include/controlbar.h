// CControlBar: what the tool bar and the status bar share as bars of a frame:
// their bar styles, the sides they may dock on, showing and hiding, and
// taking their items' state from a command route. A bar knows the window it
// docks in only as a CDockSite (docksite.h) and reports to its parent by
// messages: WM_COMMAND for its buttons, WM_SETMESSAGESTRING for prompts.
#ifndef RUVOK_CONTROLBAR_H
#define RUVOK_CONTROLBAR_H

#include "wnd.h"

class CDockContext;
class CDockSite;
class MiniDockFrame;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

// The frame's four docking sides, and floating.
constexpr UINT AFX_IDW_DOCKBAR_TOP = 0xE81B;
constexpr UINT AFX_IDW_DOCKBAR_LEFT = 0xE81C;
constexpr UINT AFX_IDW_DOCKBAR_RIGHT = 0xE81D;
constexpr UINT AFX_IDW_DOCKBAR_BOTTOM = 0xE81E;
constexpr UINT AFX_IDW_DOCKBAR_FLOAT = 0xE81F;

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();
    ~CControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }

    // The sides (CBRS_ALIGN_*) the bar may be docked on; 0: never docks.
    void EnableDocking(DWORD dwDockStyle);

    // Whether the bar shows (floating bars together with their small frame).
    BOOL IsVisible() const;
    BOOL IsFloating() const { return m_pMiniFrame != nullptr && m_bFloating; }
    // The side the bar is docked on (AFX_IDW_DOCKBAR_*), or
    // AFX_IDW_DOCKBAR_FLOAT.
    UINT GetDockBarID() const { return m_nDockBarID; }

    // The window that keeps the bar among its bars (its parent frame);
    // NULL before that and once it has let the bar go.
    CDockSite* GetDockSite() const { return m_pDockSite; }
    // Set by the dock site as it takes the bar in (NULL as it lets it go).
    void SetDockSite(CDockSite* pSite) { m_pDockSite = pSite; }
    // The window the bar sends its commands and prompts to: its parent,
    // while that keeps the bar; NULL otherwise.
    CWnd* GetOwner() const;
    // Asks the owner to show the prompt of nID in its message pane
    // (AFX_IDS_IDLEMESSAGE: the idle text).
    void SendPrompt(UINT nID) const;
    // The small window of a floating bar; NULL while docked.
    QWidget* GetFloatingWindow() const;

    // The dock site tells the bar where it now is: docked on side
    // nDockBarID with the side's CBRS_* border and alignment style (it
    // leaves its small window first)...
    void OnDocked(UINT nDockBarID, DWORD dwSideStyle);
    // ...or floating: the bar's window goes into its small window, made on
    // the first float as a tool window of pOwner; returns that window.
    QWidget* OnFloated(QWidget* pOwner);

    // Brings every item up to date from pTarget's command route.
    virtual void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) = 0;

    DWORD m_dwStyle = 0;      // bar styles (CBRS_*)
    DWORD m_dwDockStyle = 0;  // sides it may dock on
    CDockContext* m_pDockContext = nullptr;  // while it may be dragged

protected:
    // Creates the window with the window part of dwStyle and keeps the bar
    // part; the frame parent then places it.
    BOOL CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID);
    void OnWidgetDestroyed() override;

private:
    CDockSite* m_pDockSite = nullptr;
    MiniDockFrame* m_pMiniFrame = nullptr;
    BOOL m_bFloating = FALSE;
    UINT m_nDockBarID = 0;
};

#endif
