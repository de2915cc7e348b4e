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

// Bar styles: the low bits of a bar's creation style.
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_BORDER_ANY = 0x0F00;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_FLOAT_MULTI = 0x0040;
constexpr DWORD CBRS_SIZE_FIXED = 0x0002;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_ALL = 0x0040FFFF;
constexpr DWORD CBRS_LEFT = CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
constexpr DWORD CBRS_RIGHT = CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;

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
    void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }

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
