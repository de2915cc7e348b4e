// CToolBar: a row of buttons for commands, with images from a bitmap and the
// commands' own prompt strings as tooltips and status-bar prompts. Flat, with
// a gripper to drag it by; it docks on the frame's sides or floats.
#ifndef RUVOK_TOOLBAR_H
#define RUVOK_TOOLBAR_H

#include "controlbar.h"

#include <vector>

class QAction;

constexpr DWORD TBSTYLE_FLAT = 0x0800;

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar();
    ~CToolBar() override;

    // rcBorders: space around the buttons (left, top, right, bottom).
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  RECT rcBorders = RECT(), UINT nID = AFX_IDW_TOOLBAR);
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                UINT nID = AFX_IDW_TOOLBAR);

    // The buttons of tool-bar resource nIDResource, with their images from
    // the bitmap of the same id. FALSE when either is missing or unusable.
    BOOL LoadToolBar(UINT nIDResource);

    int GetCount() const { return static_cast<int>(m_items.size()); }
    UINT GetItemID(int nIndex) const;   // ID_SEPARATOR for a separator
    int CommandToIndex(UINT nIDFind) const;  // -1 if no button has it
    // The button's action (its image, tooltip and state); NULL for a
    // separator.
    QAction* GetItemAction(int nIndex) const;

    void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParent) override;

private:
    DWORD m_dwCtrlStyle = 0;
    RECT m_rcBorders;
    std::vector<UINT> m_items;
    std::vector<QAction*> m_actions;
};

#endif
