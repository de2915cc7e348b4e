// CFrameWnd as the dock site of its control bars: taking them in and
// letting them go, docking them on its sides, floating them in small
// windows of their own, showing and hiding them from the View menu.
#include "frame.h"

#include "docksite.h"
#include "menuitems.h"
#include "minidockframe.h"
#include "resources.h"
#include "strings_table.h"

#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace {

// The sides a bar docks on, in the order the frame tries them.
struct DockSide {
    UINT nDockBarID;
    DWORD dwAlign;
    DWORD dwBarStyle;
    Qt::ToolBarArea area;
};
constexpr DockSide kDockSides[] = {
    {AFX_IDW_DOCKBAR_TOP, CBRS_ALIGN_TOP, CBRS_TOP, Qt::TopToolBarArea},
    {AFX_IDW_DOCKBAR_BOTTOM, CBRS_ALIGN_BOTTOM, CBRS_BOTTOM, Qt::BottomToolBarArea},
    {AFX_IDW_DOCKBAR_LEFT, CBRS_ALIGN_LEFT, CBRS_LEFT, Qt::LeftToolBarArea},
    {AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_RIGHT, CBRS_RIGHT, Qt::RightToolBarArea},
};

}  // namespace

void CFrameWnd::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY;
}

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    if (std::find(m_listControlBars.begin(), m_listControlBars.end(), pBar)
        != m_listControlBars.end())
        return;
    m_listControlBars.push_back(pBar);
    pBar->SetDockSite(this);
    QMainWindow* pWindow = GetMainWindow();
    if (pWindow == nullptr)
        return;
    // Placed by its alignment until it is docked.
    if (auto* pStatus = qobject_cast<QStatusBar*>(pBar->GetWidget())) {
        pWindow->setStatusBar(pStatus);
    } else if (auto* pToolBar = qobject_cast<QToolBar*>(pBar->GetWidget())) {
        for (const DockSide& side : kDockSides) {
            if (pBar->m_dwStyle & side.dwAlign) {
                pWindow->addToolBar(side.area, pToolBar);
                break;
            }
        }
    }
    // the bar's name is its View item's text, for screen readers
    for (const AfxMenuPopup& popup : AfxLoadMenu(m_nIDHelp)) {
        for (const AfxMenuItem& item : popup.items) {
            if (item.nID == pBar->GetDlgCtrlID() && pBar->GetWidget() != nullptr) {
                pBar->GetWidget()->setAccessibleName(
                    QString::fromStdString(AfxStripMnemonic(item.text)));
            }
        }
    }
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    m_listControlBars.erase(std::remove(m_listControlBars.begin(), m_listControlBars.end(), pBar),
                            m_listControlBars.end());
    if (pBar->GetDockSite() == this)
        pBar->SetDockSite(nullptr);
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const
{
    for (CControlBar* pBar : m_listControlBars) {
        if (pBar->GetDlgCtrlID() == nID)
            return pBar;
    }
    return nullptr;
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, const RECT*)
{
    QMainWindow* pWindow = GetMainWindow();
    auto* pToolBar = pBar != nullptr ? qobject_cast<QToolBar*>(pBar->GetWidget()) : nullptr;
    if (pWindow == nullptr || pToolBar == nullptr)
        return;
    const DockSide* pSide = nullptr;
    for (const DockSide& side : kDockSides) {
        const bool wanted = nDockBarID == 0 ? (pBar->m_dwStyle & side.dwAlign) != 0
                                            : side.nDockBarID == nDockBarID;
        if (wanted && (m_dwDockStyle & side.dwAlign) != 0) {
            pSide = &side;
            break;
        }
    }
    if (pSide == nullptr)
        return;  // the frame takes no bars there
    const BOOL bVisible = pBar->IsVisible();
    pBar->OnDocked(pSide->nDockBarID, pSide->dwBarStyle);
    pWindow->addToolBar(pSide->area, pToolBar);
    pToolBar->setVisible(bVisible != FALSE);
}

void CFrameWnd::FloatControlBar(CControlBar* pBar, POINT point, DWORD)
{
    QMainWindow* pWindow = GetMainWindow();
    auto* pToolBar = pBar != nullptr ? qobject_cast<QToolBar*>(pBar->GetWidget()) : nullptr;
    if (pWindow == nullptr || pToolBar == nullptr)
        return;
    const BOOL bVisible = pBar->IsVisible();
    auto* pMini = static_cast<MiniDockFrame*>(pBar->GetMiniFrame());
    if (pMini == nullptr)
        pMini = new MiniDockFrame(pBar, pWindow);
    if (!pBar->IsFloating()) {
        pWindow->removeToolBar(pToolBar);
        pToolBar->setOrientation(Qt::Horizontal);
        pMini->Adopt(pToolBar);
        pToolBar->show();
    }
    pBar->OnFloated(pMini);
    pMini->adjustSize();
    pMini->move(point.x, point.y);
    pMini->setVisible(bVisible != FALSE);
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL)
{
    QWidget* pWidget = pBar != nullptr ? pBar->GetWidget() : nullptr;
    if (pWidget == nullptr)
        return;
    if (QWidget* pFloating = pBar->GetFloatingWindow()) {
        pWidget->show();
        pFloating->setVisible(bShow != FALSE);
    } else {
        pWidget->setVisible(bShow != FALSE);
    }
}

void CFrameWnd::OnBarCheck(UINT nID)
{
    if (CControlBar* pBar = GetControlBar(nID))
        ShowControlBar(pBar, !pBar->IsVisible(), FALSE);
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    if (pBar == nullptr) {
        pCmdUI->Enable(FALSE);  // no such bar: nothing to show
        return;
    }
    pCmdUI->SetCheck(pBar->IsVisible() ? 1 : 0);
}

LRESULT CFrameWnd::OnDockSite(WPARAM wParam, LPARAM lParam)
{
    if (wParam == AFX_DOCKSITE_DOCKSTYLE)
        return static_cast<LRESULT>(m_dwDockStyle);
    const auto* pRequest = reinterpret_cast<const AfxDockRequest*>(lParam);
    if (pRequest == nullptr)
        return 0;
    switch (wParam) {
    case AFX_DOCKSITE_ADD: AddControlBar(pRequest->pBar); break;
    case AFX_DOCKSITE_REMOVE: RemoveControlBar(pRequest->pBar); break;
    case AFX_DOCKSITE_DOCK: DockControlBar(pRequest->pBar, pRequest->nDockBarID); break;
    case AFX_DOCKSITE_FLOAT: {
        POINT point;
        point.x = pRequest->x;
        point.y = pRequest->y;
        FloatControlBar(pRequest->pBar, point);
        break;
    }
    case AFX_DOCKSITE_SHOW: ShowControlBar(pRequest->pBar, pRequest->bShow, FALSE); break;
    default: break;
    }
    return 0;
}
