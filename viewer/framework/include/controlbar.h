// CControlBar: what the tool bar and the status bar share as bars of a frame:
// their bar styles, the sides they may dock on, showing and hiding, and
// taking their items' state from the frame's command route.
#ifndef RUVOK_CONTROLBAR_H
#define RUVOK_CONTROLBAR_H

#include "wnd.h"

class CDockContext;
class CFrameWnd;
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

    // The frame the bar belongs to and sends its commands to.
    CFrameWnd* GetDockingFrame() const { return m_pDockSite; }
    // The small window of a floating bar; NULL while docked.
    QWidget* GetFloatingWindow() const;

    // Brings every item up to date from pTarget's command route.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;

    DWORD m_dwStyle = 0;      // bar styles (CBRS_*)
    DWORD m_dwDockStyle = 0;  // sides it may dock on
    CDockContext* m_pDockContext = nullptr;  // while it may be dragged

protected:
    // Creates the window with the window part of dwStyle and keeps the bar
    // part; the frame parent then places it.
    BOOL CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID);
    void OnWidgetDestroyed() override;

private:
    friend class CFrameWnd;
    CFrameWnd* m_pDockSite = nullptr;
    MiniDockFrame* m_pMiniFrame = nullptr;
    BOOL m_bFloating = FALSE;
    UINT m_nDockBarID = 0;
};

#endif
