// CControlBar: what the tool bar and the status bar share (see controlbar.h).
#include "controlbar.h"

#include "dockcontext.h"
#include "frame.h"
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
    if (CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(pParentWnd))
        pFrame->AddControlBar(this);
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
