// Dragging a bar with the mouse to dock or float it (see dockcontext.h).
#include "dockcontext.h"

#include "controlbar.h"
#include "docksite.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QRubberBand>
#include <QStatusBar>
#include <QToolBar>

namespace {

// How near a side of the frame the pointer must be for the bar to dock there.
constexpr int kDockZone = 32;

// Esc during a drag leaves the bar where it was.
class EscapeFilter : public QObject {
public:
    explicit EscapeFilter(CDockContext* pContext) : m_pContext(pContext) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress
            && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            m_pContext->CancelDrag();
            return true;
        }
        return false;
    }

private:
    CDockContext* m_pContext;
};

}  // namespace

CDockContext::CDockContext(CControlBar* pBar) : m_pBar(pBar) {}

CDockContext::~CDockContext()
{
    delete m_pBand;
    delete m_pEscape;
}

void CDockContext::StartDrag(const QPoint& globalPos, const QPoint& offset)
{
    m_start = globalPos;
    m_offset = offset;
    m_bPressed = TRUE;
    m_bTracking = FALSE;
}

void CDockContext::Move(const QPoint& globalPos)
{
    if (!m_bPressed)
        return;  // not pressed, or cancelled
    if (!m_bTracking) {
        if ((globalPos - m_start).manhattanLength() < QApplication::startDragDistance())
            return;
        m_bTracking = TRUE;
        if (m_pEscape == nullptr) {
            m_pEscape = new EscapeFilter(this);
            qApp->installEventFilter(m_pEscape);
        }
    }
    if (m_pBand == nullptr)
        m_pBand = new QRubberBand(QRubberBand::Rectangle);
    m_pBand->setGeometry(TrackRect(DropTarget(globalPos), globalPos));
    m_pBand->show();
}

void CDockContext::EndDrag(const QPoint& globalPos)
{
    const BOOL bTracking = m_bTracking;
    CancelDrag();
    CWnd* pSite = m_pBar->GetDockSite();
    if (!bTracking || pSite == nullptr)
        return;
    const UINT nTarget = DropTarget(globalPos);
    AfxDockRequest request;
    request.pBar = m_pBar;
    if (nTarget == AFX_IDW_DOCKBAR_FLOAT) {
        request.x = globalPos.x() - m_offset.x();
        request.y = globalPos.y() - m_offset.y();
        pSite->SendMessage(WM_DOCKSITE, AFX_DOCKSITE_FLOAT, reinterpret_cast<LPARAM>(&request));
    } else if (nTarget != m_pBar->GetDockBarID()) {
        request.nDockBarID = nTarget;
        pSite->SendMessage(WM_DOCKSITE, AFX_DOCKSITE_DOCK, reinterpret_cast<LPARAM>(&request));
    }
}

void CDockContext::CancelDrag()
{
    m_bPressed = FALSE;
    m_bTracking = FALSE;
    if (m_pEscape != nullptr) {
        qApp->removeEventFilter(m_pEscape);
        m_pEscape->deleteLater();  // may be running its own filter now
        m_pEscape = nullptr;
    }
    if (m_pBand != nullptr)
        m_pBand->hide();
}

QRect CDockContext::FrameInside() const
{
    CWnd* pSite = m_pBar->GetDockSite();
    QMainWindow* pWindow =
        pSite != nullptr ? qobject_cast<QMainWindow*>(pSite->GetWidget()) : nullptr;
    if (pWindow == nullptr || !pWindow->isVisible())
        return QRect();
    // The frame's inside, below the menu and above the status bar.
    QRect inside = pWindow->rect();
    if (QWidget* pMenu = pWindow->menuWidget(); pMenu != nullptr && pMenu->isVisible())
        inside.setTop(pMenu->geometry().bottom() + 1);
    for (QStatusBar* pStatus : pWindow->findChildren<QStatusBar*>()) {
        if (pStatus->isVisible() && pStatus->parentWidget() == pWindow)
            inside.setBottom(pStatus->geometry().top() - 1);
    }
    return QRect(pWindow->mapToGlobal(inside.topLeft()), inside.size());
}

UINT CDockContext::DropTarget(const QPoint& globalPos) const
{
    CWnd* pSite = m_pBar->GetDockSite();
    const QRect inside = FrameInside();
    if (pSite == nullptr || inside.isNull()
        || !inside.adjusted(-kDockZone / 4, -kDockZone / 4, kDockZone / 4, kDockZone / 4)
                .contains(globalPos))
        return AFX_IDW_DOCKBAR_FLOAT;

    const DWORD allowed = m_pBar->m_dwDockStyle
                        & static_cast<DWORD>(pSite->SendMessage(WM_DOCKSITE, AFX_DOCKSITE_DOCKSTYLE));
    struct Side {
        UINT nID;
        DWORD dwAlign;
        int distance;
    };
    const Side sides[] = {
        {AFX_IDW_DOCKBAR_TOP, CBRS_ALIGN_TOP, globalPos.y() - inside.top()},
        {AFX_IDW_DOCKBAR_BOTTOM, CBRS_ALIGN_BOTTOM, inside.bottom() - globalPos.y()},
        {AFX_IDW_DOCKBAR_LEFT, CBRS_ALIGN_LEFT, globalPos.x() - inside.left()},
        {AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_RIGHT, inside.right() - globalPos.x()},
    };
    UINT nBest = AFX_IDW_DOCKBAR_FLOAT;
    int best = kDockZone + 1;
    for (const Side& side : sides) {
        if ((allowed & side.dwAlign) != 0 && side.distance < best) {
            best = side.distance;
            nBest = side.nID;
        }
    }
    return nBest;
}

QRect CDockContext::TrackRect(UINT nTarget, const QPoint& globalPos) const
{
    QWidget* pBarWidget = m_pBar->GetWidget();
    QSize size = pBarWidget != nullptr ? pBarWidget->sizeHint() : QSize(100, 24);
    QPoint offset = m_offset;
    if (auto* pToolBar = qobject_cast<QToolBar*>(pBarWidget)) {
        // the shape the bar takes there: a row, or a column on the sides
        const bool vertical = pToolBar->orientation() == Qt::Vertical;
        const bool toSide = nTarget == AFX_IDW_DOCKBAR_LEFT || nTarget == AFX_IDW_DOCKBAR_RIGHT;
        if (vertical != toSide) {
            size.transpose();
            offset = QPoint(offset.y(), offset.x());
        }
    }
    // the pointer stays on the rectangle, which lies against the side it
    // would dock on
    offset =
        QPoint(qBound(0, offset.x(), size.width() - 1), qBound(0, offset.y(), size.height() - 1));
    QRect rect(globalPos - offset, size);
    const QRect inside = FrameInside();
    switch (nTarget) {
    case AFX_IDW_DOCKBAR_TOP: rect.moveTop(inside.top()); break;
    case AFX_IDW_DOCKBAR_BOTTOM: rect.moveBottom(inside.bottom()); break;
    case AFX_IDW_DOCKBAR_LEFT: rect.moveLeft(inside.left()); break;
    case AFX_IDW_DOCKBAR_RIGHT: rect.moveRight(inside.right()); break;
    default: break;
    }
    return rect;
}
