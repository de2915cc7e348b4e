// The small window a floating bar sits in (see minidockframe.h).
#include "minidockframe.h"

#include "controlbar.h"
#include "dockcontext.h"
#include "docksite.h"
#include "menuitems.h"
#include "resources.h"
#include "strings_table.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The caption: drawn in the window's highlight colours, dragged to move the
// bar, with the system menu on a right click.
class CaptionBar : public QWidget {
public:
    CaptionBar(MiniDockFrame* pFrame, CControlBar* pBar)
        : QWidget(pFrame), m_pFrame(pFrame), m_pBar(pBar), m_drag(pBar)
    {
        setFixedHeight(qMax(fontMetrics().height() - 2, 14));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Active, QPalette::Highlight));
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::RightButton) {
            m_pFrame->ShowSystemMenu(e->globalPosition().toPoint());
            return;
        }
        if (e->button() == Qt::LeftButton && m_pBar->IsDockingEnabled())
            m_drag.StartDrag(e->globalPosition().toPoint(),
                             e->globalPosition().toPoint() - m_pFrame->pos());
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (m_pBar->IsDockingEnabled())
            m_drag.Move(e->globalPosition().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && m_pBar->IsDockingEnabled())
            m_drag.EndDrag(e->globalPosition().toPoint());
    }

private:
    MiniDockFrame* m_pFrame;
    CControlBar* m_pBar;
    CDockContext m_drag;  // a drag that starts on the caption
};

}  // namespace

MiniDockFrame::MiniDockFrame(CControlBar* pBar, QWidget* pParent)
    : QWidget(pParent, Qt::Tool | Qt::FramelessWindowHint), m_pBar(pBar)
{
    setAccessibleName(pBar->GetWidget() != nullptr ? pBar->GetWidget()->accessibleName()
                                                   : QString());
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setContentsMargins(3, 3, 3, 3);
    m_pLayout->setSpacing(1);

    m_pCaption = new CaptionBar(this, pBar);
    auto* pCaptionLayout = new QHBoxLayout(m_pCaption);
    pCaptionLayout->setContentsMargins(0, 1, 1, 1);
    pCaptionLayout->addStretch(1);
    m_pClose = new QToolButton(m_pCaption);
    const QImage image = AfxLoadSysColorBitmap(AFX_IDB_MINIFRAME_MENU);
    if (!image.isNull()) {
        m_pClose->setIcon(QIcon(QPixmap::fromImage(image)));
        m_pClose->setIconSize(image.size());
    }
    m_pClose->setFixedSize(m_pCaption->height() + 2, m_pCaption->height() - 2);
    m_pClose->setFocusPolicy(Qt::NoFocus);
    m_pClose->setAccessibleName(
        QString::fromStdString(AfxStripMnemonic(AfxLoadString(AFX_IDS_HIDE))));
    pCaptionLayout->addWidget(m_pClose);
    connect(m_pClose, &QToolButton::clicked, this, [this] { HideBar(); });
    m_pLayout->addWidget(m_pCaption);
}

void MiniDockFrame::Adopt(QWidget* pBarWidget)
{
    pBarWidget->setParent(this);
    m_pLayout->addWidget(pBarWidget);
}

QMenu* MiniDockFrame::ShowSystemMenu(const QPoint& globalPos)
{
    if (m_pMenu == nullptr) {
        // Moving is the caption's own drag; sizing, minimising and
        // maximising don't apply to a bar; closing hides it.
        m_pMenu = new QMenu(this);
        QAction* pHide = m_pMenu->addAction(QString::fromStdString(AfxLoadString(AFX_IDS_HIDE)));
        pHide->setData(SC_CLOSE);
        connect(pHide, &QAction::triggered, this, [this] { HideBar(); });
        connect(m_pMenu, &QMenu::hovered, this,
                [this](QAction* pAction) { m_pBar->SendPrompt(pAction->data().toUInt()); });
        connect(m_pMenu, &QMenu::aboutToHide, this,
                [this] { m_pBar->SendPrompt(AFX_IDS_IDLEMESSAGE); });
    }
    m_pMenu->popup(globalPos);
    return m_pMenu;
}

void MiniDockFrame::HideBar()
{
    if (CWnd* pSite = m_pBar->GetDockSite()) {
        AfxDockRequest request;
        request.pBar = m_pBar;
        request.bShow = FALSE;
        pSite->SendMessage(WM_DOCKSITE, AFX_DOCKSITE_SHOW, reinterpret_cast<LPARAM>(&request));
    }
}

void MiniDockFrame::closeEvent(QCloseEvent* e)
{
    // closing the small window hides the bar; View shows it again here
    e->ignore();
    HideBar();
}

void MiniDockFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = 2;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_Frame, &option, &p, this);
}
