// CStatusBar: a row of panes along the bottom of a frame. A pane with the id
// ID_SEPARATOR stretches and carries the frame's messages (command prompts,
// the idle text); any other pane shows the string of its id, sized to it,
// while its command's state is enabled, and nothing otherwise.
#ifndef RUVOK_STATUSBAR_H
#define RUVOK_STATUSBAR_H

#include "controlbar.h"

#include <string>
#include <vector>

constexpr UINT SBPS_NORMAL = 0x0000;
constexpr UINT SBPS_NOBORDERS = 0x0100;
constexpr UINT SBPS_POPOUT = 0x0200;
constexpr UINT SBPS_DISABLED = 0x04000000;
constexpr UINT SBPS_STRETCH = 0x08000000;

class QLabel;

class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    CStatusBar();
    ~CStatusBar() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id, left to right. FALSE when an indicator's string is
    // missing.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    UINT GetItemID(int nIndex) const;
    int CommandToIndex(UINT nIDFind) const;  // -1 if no pane has it

    BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate = TRUE);
    std::string GetPaneText(int nIndex) const;
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    // What the pane shows now: its text, or nothing while disabled.
    std::string GetPaneDisplayText(int nIndex) const;

    void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParent) override;

private:
    struct Pane {
        UINT nID = 0;
        UINT nStyle = SBPS_NORMAL;
        std::string text;
        QLabel* pLabel = nullptr;
    };
    void ShowPane(const Pane& pane);

    std::vector<Pane> m_panes;
};

#endif
