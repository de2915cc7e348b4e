// CControlBar: what the tool bar and the status bar share (see controlbar.h).
#include "controlbar.h"

#include "docksite.h"

#include <QWidget>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

CControlBar::CControlBar() = default;

CControlBar::~CControlBar()
{
    DestroyWindow();  // while this is still a control bar to its widget
    LeaveDockSite();
    delete m_pMiniFrame;
}

BOOL CControlBar::CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    RECT rect;
    if (!CWnd::Create(nullptr, nullptr, dwStyle & ~CBRS_ALL, rect, pParentWnd, nID))
        return FALSE;
    // a frame parent takes the bar in; any other lets the message be
    if (pParentWnd != nullptr) {
        AfxDockRequest request;
        request.pBar = this;
        pParentWnd->SendMessage(WM_DOCKSITE, AFX_DOCKSITE_ADD, reinterpret_cast<LPARAM>(&request));
    }
    return TRUE;
}

void CControlBar::OnWidgetDestroyed()
{
    LeaveDockSite();
    CWnd::OnWidgetDestroyed();
}

void CControlBar::LeaveDockSite()
{
    if (m_pDockSite == nullptr)
        return;
    AfxDockRequest request;
    request.pBar = this;
    m_pDockSite->SendMessage(WM_DOCKSITE, AFX_DOCKSITE_REMOVE,
                             reinterpret_cast<LPARAM>(&request));
}

void CControlBar::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY;
    m_bDockingEnabled = TRUE;
}

BOOL CControlBar::IsVisible() const
{
    QWidget* pWidget = GetWidget();
    if (pWidget == nullptr || pWidget->isHidden())
        return FALSE;
    if (IsFloating())
        return !m_pMiniFrame->isHidden();
    return TRUE;
}

QWidget* CControlBar::GetFloatingWindow() const
{
    return IsFloating() ? m_pMiniFrame : nullptr;
}

void CControlBar::SendPrompt(UINT nID) const
{
    if (m_pDockSite != nullptr)
        m_pDockSite->SendMessage(WM_SETMESSAGESTRING, static_cast<WPARAM>(nID));
}

void CControlBar::OnDocked(UINT nDockBarID, DWORD dwSideStyle)
{
    if (IsFloating()) {
        m_bFloating = FALSE;
        m_pMiniFrame->hide();
    }
    m_nDockBarID = nDockBarID;
    m_dwStyle = (m_dwStyle & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY)) | dwSideStyle;
}

void CControlBar::OnFloated(QWidget* pMiniFrame)
{
    if (pMiniFrame != m_pMiniFrame) {
        delete m_pMiniFrame;
        m_pMiniFrame = pMiniFrame;
        // the small window may go with its owner before the bar does
        QObject::connect(pMiniFrame, &QObject::destroyed, pMiniFrame->parentWidget(), [this] {
            m_pMiniFrame = nullptr;
            m_bFloating = FALSE;
        });
    }
    m_bFloating = TRUE;
    m_nDockBarID = AFX_IDW_DOCKBAR_FLOAT;
}
