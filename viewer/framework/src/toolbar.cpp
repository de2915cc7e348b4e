// CToolBar: a row of command buttons from a tool bar resource (see toolbar.h).
#include "toolbar.h"

#include "dockcontext.h"
#include "resources.h"
#include "strings_table.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QToolBar>
#include <QToolButton>

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

namespace {

// The framework copies at most this much of a tooltip.
constexpr int kMaxTipChars = 80;

// The Qt tool bar behind a CToolBar. A press on the bar itself (its gripper
// or the space between buttons) starts dragging it; Qt's own moving of tool
// bars is not used, so that the bar can float in a frame of its own.
class ToolBarWidget : public QToolBar {
public:
    ToolBarWidget(CToolBar* pBar, QWidget* pParent) : QToolBar(pParent), m_pBar(pBar), m_drag(pBar)
    {
    }

protected:
    bool event(QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && m_pBar->IsDockingEnabled()) {
                const QPoint global = me->globalPosition().toPoint();
                m_drag.StartDrag(global, me->position().toPoint());
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_pBar->IsDockingEnabled()) {
                m_drag.Move(
                    static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (m_pBar->IsDockingEnabled()) {
                m_drag.EndDrag(
                    static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
                return true;
            }
            break;
        default:
            break;
        }
        return QToolBar::event(e);
    }

    // A flat button face, the colour the images' own face is drawn in, so
    // that no image stands in a box of a shade of its own; then the gripper.
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Button));
        QStyleOptionToolBar option;
        initStyleOption(&option);
        option.rect = style()->subElementRect(QStyle::SE_ToolBarHandle, &option, this);
        if (option.rect.isValid())
            style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &painter, this);
    }

private:
    CToolBar* m_pBar;
    CDockContext m_drag;  // a drag that starts on the bar
};

// While the pointer rests on a button, its prompt is in the status bar;
// without CBRS_TOOLTIPS the buttons show no tips.
class ButtonWatcher : public QObject {
public:
    ButtonWatcher(CToolBar* pBar, UINT nID, QObject* pParent)
        : QObject(pParent), m_pBar(pBar), m_nID(nID)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        const DWORD style = m_pBar->GetBarStyle();
        switch (e->type()) {
        case QEvent::Enter:
            if ((style & CBRS_FLYBY) != 0)
                m_pBar->SendPrompt(m_nID);
            break;
        case QEvent::Leave:
            if ((style & CBRS_FLYBY) != 0)
                m_pBar->SendPrompt(AFX_IDS_IDLEMESSAGE);
            break;
        case QEvent::ToolTip:
            return (style & CBRS_TOOLTIPS) == 0;
        default:
            break;
        }
        return false;
    }

private:
    CToolBar* m_pBar;
    UINT m_nID;
};

// One button's image out of the strip, and its grayed form as the desktop
// draws a disabled button: what is drawn in neither the face nor the
// highlight colour becomes an etched shape, in highlight one pixel down and
// to the right, then in shadow, on a plain face.
QIcon ButtonImage(const QImage& strip, int index, int width, int height)
{
    const QImage image =
        strip.copy(index * width, 0, width, height).convertToFormat(QImage::Format_RGB32);
    const QPalette palette = QGuiApplication::palette();
    const QRgb face = palette.color(QPalette::Active, QPalette::Button).rgb();
    const QRgb highlight = palette.color(QPalette::Active, QPalette::Light).rgb();
    const QRgb shadow = palette.color(QPalette::Active, QPalette::Dark).rgb();
    QImage grayed(image.size(), QImage::Format_RGB32);
    grayed.fill(face);
    auto drawn = [&](int x, int y) {
        const QRgb c = image.pixel(x, y);
        return c != face && c != highlight;
    };
    for (int y = 0; y + 1 < height; ++y) {
        for (int x = 0; x + 1 < width; ++x) {
            if (drawn(x, y))
                grayed.setPixel(x + 1, y + 1, highlight);
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (drawn(x, y))
                grayed.setPixel(x, y, shadow);
        }
    }
    QIcon icon(QPixmap::fromImage(image));
    icon.addPixmap(QPixmap::fromImage(grayed), QIcon::Disabled);
    return icon;
}

}  // namespace

CToolBar::CToolBar() = default;

CToolBar::~CToolBar()
{
    // The widget goes while this is still whole: its buttons' watchers ask
    // the bar for its style as they are deleted.
    DestroyWindow();
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, RECT rcBorders,
                        UINT nID)
{
    m_dwCtrlStyle = dwCtrlStyle;
    m_rcBorders = rcBorders;
    return CreateBar(pParentWnd, dwStyle, nID);
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, TBSTYLE_FLAT, dwStyle, RECT(), nID);
}

QWidget* CToolBar::CreateWidget(const CREATESTRUCT&, QWidget* pParent)
{
    auto* pWidget = new ToolBarWidget(this, pParent);
    // Qt shows a gripper only on a movable bar; the moving itself is ours.
    pWidget->setMovable((m_dwStyle & CBRS_GRIPPER) != 0);
    pWidget->setFloatable(false);
    pWidget->setContentsMargins(m_rcBorders.left, m_rcBorders.top, m_rcBorders.right,
                                m_rcBorders.bottom);
    // Qt's tool-bar buttons are flat (raised only under the pointer), which
    // is what TBSTYLE_FLAT asks for; Qt has no other kind.
    pWidget->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return pWidget;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    auto* pWidget = qobject_cast<QToolBar*>(GetWidget());
    if (pWidget == nullptr)
        return FALSE;
    AfxToolBarData data;
    if (!AfxLoadToolBarData(nIDResource, data) || data.wVersion != 1 || data.wWidth == 0
        || data.wHeight == 0)
        return FALSE;
    // the images in the desktop's button colours, as they are drawn on it
    const QImage strip = AfxLoadSysColorBitmap(nIDResource);
    int nImages = 0;
    for (UINT nID : data.items)
        nImages += nID != ID_SEPARATOR ? 1 : 0;
    if (strip.isNull() || strip.width() < nImages * data.wWidth || strip.height() < data.wHeight)
        return FALSE;

    pWidget->clear();
    m_items.clear();
    m_actions.clear();
    pWidget->setIconSize(QSize(data.wWidth, data.wHeight));
    int image = 0;
    for (UINT nID : data.items) {
        m_items.push_back(nID);
        if (nID == ID_SEPARATOR) {
            pWidget->addSeparator();
            m_actions.push_back(nullptr);
            continue;
        }
        std::string tip;
        AfxExtractSubString(tip, AfxLoadString(nID), 1);
        const QString tipText = QString::fromStdString(tip).left(kMaxTipChars);
        QAction* pAction = pWidget->addAction(
            ButtonImage(strip, image++, data.wWidth, data.wHeight), tipText);
        pAction->setData(nID);
        pAction->setToolTip(tipText);
        // the command runs once the click is over (it may close the frame)
        QObject::connect(pAction, &QAction::triggered, pWidget, [this, nID] {
            if (CWnd* pSite = GetDockSite())
                pSite->PostMessage(WM_COMMAND, AfxCommandWParam(nID, 0));
        });
        m_actions.push_back(pAction);
        if (QWidget* pButton = pWidget->widgetForAction(pAction)) {
            pButton->setAccessibleName(tipText);
            pButton->installEventFilter(new ButtonWatcher(this, nID, pButton));
        }
    }
    return TRUE;
}

UINT CToolBar::GetItemID(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return ID_SEPARATOR;
    return m_items[static_cast<size_t>(nIndex)];
}

int CToolBar::CommandToIndex(UINT nIDFind) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i] == nIDFind && nIDFind != ID_SEPARATOR)
            return static_cast<int>(i);
    }
    return -1;
}

QAction* CToolBar::GetItemAction(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return nullptr;
    return m_actions[static_cast<size_t>(nIndex)];
}

void CToolBar::OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        QAction* pAction = m_actions[i];
        if (pAction == nullptr)
            continue;
        CCmdUI state;
        state.m_nID = m_items[i];
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(pTarget, bDisableIfNoHndler);
        pAction->setEnabled(state.m_bEnabled != FALSE);
        if (state.m_bCheckChanged) {
            pAction->setCheckable(true);
            pAction->setChecked(state.m_nCheck != 0);
        }
    }
}
