// CControlBar: what the tool bar and the status bar share (see controlbar.h).
#include "controlbar.h"

#include "dockcontext.h"
#include "docksite.h"
#include "minidockframe.h"

#include <QWidget>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

CControlBar::CControlBar() = default;

CControlBar::~CControlBar()
{
    DestroyWindow();  // while this is still a control bar to its widget
    if (m_pDockSite != nullptr)
        m_pDockSite->RemoveControlBar(this);
    delete m_pMiniFrame;
    delete m_pDockContext;
}

BOOL CControlBar::CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    RECT rect;
    if (!CWnd::Create(nullptr, nullptr, dwStyle & ~CBRS_ALL, rect, pParentWnd, nID))
        return FALSE;
    if (CDockSite* pSite = dynamic_cast<CDockSite*>(pParentWnd))
        pSite->AddControlBar(this);
    return TRUE;
}

void CControlBar::OnWidgetDestroyed()
{
    if (m_pDockSite != nullptr)
        m_pDockSite->RemoveControlBar(this);
    CWnd::OnWidgetDestroyed();
}

void CControlBar::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY;
    if (m_pDockContext == nullptr)
        m_pDockContext = new CDockContext(this);
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

CWnd* CControlBar::GetOwner() const
{
    // the site is the parent that took the bar in (CreateBar)
    return m_pDockSite != nullptr ? GetParent() : nullptr;
}

void CControlBar::SendPrompt(UINT nID) const
{
    if (CWnd* pOwner = GetOwner())
        pOwner->SendMessage(WM_SETMESSAGESTRING, static_cast<WPARAM>(nID));
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

QWidget* CControlBar::OnFloated(QWidget* pOwner)
{
    if (m_pMiniFrame == nullptr) {
        m_pMiniFrame = new MiniDockFrame(this, pOwner);
        // the small window may go with its owner before the bar does
        QObject::connect(m_pMiniFrame, &QObject::destroyed, pOwner, [this] {
            m_pMiniFrame = nullptr;
            m_bFloating = FALSE;
        });
    }
    if (!IsFloating()) {
        m_pMiniFrame->Adopt(GetWidget());
        GetWidget()->show();
        m_bFloating = TRUE;
    }
    m_nDockBarID = AFX_IDW_DOCKBAR_FLOAT;
    return m_pMiniFrame;
}
