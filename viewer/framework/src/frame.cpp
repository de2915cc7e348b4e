// CFrameWnd: menus, control bars, the view and the command route (see frame.h).
#include "frame.h"

#include "accelerators.h"
#include "app.h"
#include "document.h"
#include "lockkeys.h"
#include "menuitems.h"
#include "minidockframe.h"
#include "recentfiles.h"
#include "resources.h"
#include "statusbar.h"
#include "strings_table.h"
#include "view.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    AFX_ON_WM(WM_CLOSE, AfxSig_vv, void (ThisClass::*)(), OnClose)
    ON_COMMAND_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_KANA, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
END_MESSAGE_MAP()

// The Qt window behind a frame. Closing it from the window system is the
// frame's WM_CLOSE, run from the event loop once the close event is over
// (the frame may destroy this very widget).
class FrameWidget : public QMainWindow {
public:
    explicit FrameWidget(CFrameWnd* pFrame) : m_pFrame(pFrame) {}

    // Bars carry no menu of their own.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    bool event(QEvent* e) override
    {
        // The message pane shows the frame's own prompts only: Qt's status
        // tips (of its own menus and widgets) leave it as it is.
        if (e->type() == QEvent::StatusTip)
            return true;
        return QMainWindow::event(e);
    }

    void paintEvent(QPaintEvent* e) override
    {
        QMainWindow::paintEvent(e);
        m_pFrame->SendMessage(WM_PAINT);
    }

    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        CFrameWnd* pFrame = m_pFrame;
        QPointer<FrameWidget> self(this);
        QMetaObject::invokeMethod(
            this,
            [self, pFrame] {
                if (self)
                    pFrame->SendMessage(WM_CLOSE);
            },
            Qt::QueuedConnection);
    }

private:
    CFrameWnd* m_pFrame;
};

// F10 takes the keyboard to the menu bar, as a lone Alt does: the first
// popup highlighted, Enter or Down opens it, Esc (or F10 again) leaves. The
// menu bar does this itself for Alt; F10 is given to it as a lone Alt.
static void ToggleMenuBarKeyboard(QWidget* pWindow)
{
    auto* pMainWindow = qobject_cast<QMainWindow*>(pWindow);
    if (pMainWindow == nullptr || pMainWindow->menuWidget() == nullptr
        || !pMainWindow->menuWidget()->isVisible())
        return;
    QWidget* pFocus = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : pWindow;
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(pFocus, &override);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(pFocus, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(QApplication::focusWidget() != nullptr ? QApplication::focusWidget()
                                                                       : pWindow,
                                &release);
}

// Keys of the frame's accelerator table are commands before the focused
// control sees them, in the frame and in its floating bars alike.
class AcceleratorFilter : public QObject {
public:
    AcceleratorFilter(CFrameWnd* pFrame, QWidget* pWindow)
        : QObject(pWindow), m_pFrame(pFrame), m_pWindow(pWindow)
    {
    }

protected:
    bool eventFilter(QObject* pObject, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress || !pObject->isWidgetType())
            return false;
        QWidget* pTop = static_cast<QWidget*>(pObject)->window();
        const bool ours = pTop == m_pWindow
                          || (dynamic_cast<MiniDockFrame*>(pTop) != nullptr
                              && pTop->parentWidget() == m_pWindow);
        if (!ours || QApplication::activePopupWidget() != nullptr)
            return false;
        const auto* pKey = static_cast<QKeyEvent*>(e);
        if (pKey->key() == Qt::Key_F10 && pKey->modifiers() == Qt::NoModifier) {
            ToggleMenuBarKeyboard(m_pWindow);
            return true;
        }
        const UINT nID = AfxTranslateAccelerator(AfxLoadAccelerators(m_pFrame->m_nIDHelp),
                                                 *static_cast<QKeyEvent*>(e));
        if (nID == 0)
            return false;
        AfxPostCommand(m_pFrame, nID);
        return true;
    }

private:
    CFrameWnd* m_pFrame;
    QWidget* m_pWindow;
};

namespace {

// While the pointer is over an item, also a grayed one (which Qt doesn't
// highlight), its prompt is in the message pane.
class MenuPromptFilter : public QObject {
public:
    MenuPromptFilter(CFrameWnd* pFrame, QMenu* pMenu) : QObject(pMenu), m_pFrame(pFrame) {}

protected:
    bool eventFilter(QObject* pObject, QEvent* e) override
    {
        if (e->type() == QEvent::MouseMove) {
            auto* pMenu = static_cast<QMenu*>(pObject);
            QAction* pAction = pMenu->actionAt(static_cast<QMouseEvent*>(e)->position().toPoint());
            m_pFrame->SetMessageText(pAction == nullptr || pAction->isSeparator()
                                         ? AFX_IDS_IDLEMESSAGE
                                         : pAction->data().toUInt());
        }
        return false;
    }

private:
    CFrameWnd* m_pFrame;
};

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

void AfxPostCommand(CFrameWnd* pFrame, UINT nID)
{
    QWidget* pWidget = pFrame->GetWidget();
    if (pWidget == nullptr)
        return;
    QPointer<QWidget> guard(pWidget);
    QMetaObject::invokeMethod(
        pWidget,
        [guard, pFrame, nID] {
            if (guard)
                pFrame->OnCommand(nID);
        },
        Qt::QueuedConnection);
}

CFrameWnd* AfxGetParentFrame(const CWnd* pWnd)
{
    for (CWnd* p = const_cast<CWnd*>(pWnd); p != nullptr; p = p->GetParent()) {
        if (CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(p))
            return pFrame;
    }
    return nullptr;
}

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    // bars that outlive the frame no longer report to it
    for (CControlBar* pBar : m_listControlBars)
        pBar->m_pDockSite = nullptr;
    m_listControlBars.clear();
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    // the document's name comes first in the caption
    if (cs.style & FWS_ADDTOTITLE)
        cs.style |= FWS_PREFIXTITLE;
    return CWnd::PreCreateWindow(cs);
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                          CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    std::string full = AfxLoadString(nIDResource);
    AfxExtractSubString(m_strTitle, full, 0);

    RECT rect;
    rect.right = 640;
    rect.bottom = 480;
    if (!Create(nullptr, m_strTitle.c_str(), dwDefaultStyle, rect, pParentWnd, 0, pContext))
        return FALSE;
    m_bAutoDelete = TRUE;
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    return TRUE;
}

QWidget* CFrameWnd::CreateWidget(const CREATESTRUCT& cs, QWidget* pParent)
{
    FrameWidget* pWindow = new FrameWidget(this);
    if (pParent != nullptr)
        pWindow->setParent(pParent, Qt::Window);
    pWindow->resize(cs.cx > 0 ? cs.cx : 640, cs.cy > 0 ? cs.cy : 480);
    pWindow->setWindowTitle(QString::fromStdString(m_strTitle));
    const QIcon icon = AfxLoadIconGroup(m_nIDHelp);
    if (!icon.isNull())
        pWindow->setWindowIcon(icon);
    BuildMenu(pWindow);
    qApp->installEventFilter(new AcceleratorFilter(this, pWindow));
    // The idle update: whenever the event loop has nothing left to do.
    if (QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, pWindow,
                         [this] { OnIdleUpdateCmdUI(); });
    return pWindow;
}

QMainWindow* CFrameWnd::GetMainWindow() const
{
    return qobject_cast<QMainWindow*>(GetWidget());
}

void CFrameWnd::BuildMenu(QMainWindow* pWindow)
{
    for (const AfxMenuPopup& popup : AfxLoadMenu(m_nIDHelp)) {
        QMenu* pMenu = pWindow->menuBar()->addMenu(QString::fromStdString(popup.text));
        for (const AfxMenuItem& item : popup.items) {
            if (item.nID == ID_SEPARATOR) {
                pMenu->addSeparator();
                continue;
            }
            QAction* pAction = AfxInsertMenuItem(pMenu, nullptr, item.nID, item.text);
            pAction->setEnabled(!item.bGrayed);
        }
        // Every item of the menu, also those put there later (the recent
        // files), runs its command.
        QObject::connect(pMenu, &QMenu::triggered, pWindow, [this, pMenu](QAction* pAction) {
            if (pAction->menu() == nullptr && pMenu->actions().contains(pAction))
                AfxPostCommand(this, pAction->data().toUInt());
        });
        QObject::connect(pMenu, &QMenu::aboutToShow, pWindow,
                         [this, pMenu] { UpdateMenuCmdUI(pMenu); });
        QObject::connect(pMenu, &QMenu::hovered, pWindow, [this](QAction* pAction) {
            SetMessageText(pAction->isSeparator() ? AFX_IDS_IDLEMESSAGE : pAction->data().toUInt());
        });
        QObject::connect(pMenu, &QMenu::aboutToHide, pWindow,
                         [this] { SetMessageText(AFX_IDS_IDLEMESSAGE); });
        pMenu->installEventFilter(new MenuPromptFilter(this, pMenu));
    }
}

void CFrameWnd::UpdateMenuCmdUI(QMenu* pMenu)
{
    for (int i = 0; i < pMenu->actions().size(); ++i) {
        QAction* pAction = pMenu->actions().at(i);
        if (pAction->isSeparator() || pAction->menu() != nullptr)
            continue;
        CCmdUI state;
        state.m_nID = pAction->data().toUInt();
        state.m_nIndex = static_cast<UINT>(i);
        state.m_pMenu = pMenu;
        state.m_nIndexMax = static_cast<UINT>(pMenu->actions().size());
        state.DoUpdate(this, TRUE);
        if (!pMenu->actions().contains(pAction))
            break;  // the handler took the item away: the rest is its own
        pAction->setEnabled(state.m_bEnabled != FALSE);
        if (state.m_bCheckChanged) {
            pAction->setCheckable(true);
            pAction->setChecked(state.m_nCheck != 0);
        }
        if (state.m_bTextChanged)
            AfxSetMenuItemText(pAction, QString::fromStdString(state.m_strText));
        // items the handler put in after this one are up to date already
        if (state.m_nIndex > static_cast<UINT>(i))
            i = static_cast<int>(state.m_nIndex);
    }
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    QMainWindow* pWindow = GetMainWindow();
    if (pWindow == nullptr)
        return;
    for (QAction* pPopup : pWindow->menuBar()->actions()) {
        if (QMenu* pMenu = pPopup->menu())
            UpdateMenuCmdUI(pMenu);
    }
    // a copy: an update handler may not change the list, but be safe
    const std::vector<CControlBar*> bars = m_listControlBars;
    for (CControlBar* pBar : bars)
        pBar->OnUpdateCmdUI(this, TRUE);
}

// ---------------------------------------------------------------------------
// Control bars

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
    pBar->m_pDockSite = this;
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
    if (pBar->m_pDockSite == this)
        pBar->m_pDockSite = nullptr;
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
    if (pBar->IsFloating()) {
        pBar->m_bFloating = FALSE;
        pBar->m_pMiniFrame->hide();
    }
    pWindow->addToolBar(pSide->area, pToolBar);
    pToolBar->setVisible(bVisible != FALSE);
    pBar->m_nDockBarID = pSide->nDockBarID;
    pBar->m_dwStyle = (pBar->m_dwStyle & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY)) | pSide->dwBarStyle;
}

void CFrameWnd::FloatControlBar(CControlBar* pBar, POINT point, DWORD)
{
    QMainWindow* pWindow = GetMainWindow();
    auto* pToolBar = pBar != nullptr ? qobject_cast<QToolBar*>(pBar->GetWidget()) : nullptr;
    if (pWindow == nullptr || pToolBar == nullptr)
        return;
    const BOOL bVisible = pBar->IsVisible();
    if (pBar->m_pMiniFrame == nullptr) {
        pBar->m_pMiniFrame = new MiniDockFrame(pBar, pWindow);
        QObject::connect(pBar->m_pMiniFrame, &QObject::destroyed, pWindow, [pBar] {
            pBar->m_pMiniFrame = nullptr;
            pBar->m_bFloating = FALSE;
        });
    }
    if (!pBar->IsFloating()) {
        pWindow->removeToolBar(pToolBar);
        pToolBar->setOrientation(Qt::Horizontal);
        pBar->m_pMiniFrame->Adopt(pToolBar);
        pToolBar->show();
        pBar->m_bFloating = TRUE;
    }
    pBar->m_nDockBarID = AFX_IDW_DOCKBAR_FLOAT;
    pBar->m_pMiniFrame->adjustSize();
    pBar->m_pMiniFrame->move(point.x, point.y);
    pBar->m_pMiniFrame->setVisible(bVisible != FALSE);
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL)
{
    QWidget* pWidget = pBar != nullptr ? pBar->GetWidget() : nullptr;
    if (pWidget == nullptr)
        return;
    if (pBar->IsFloating()) {
        pWidget->show();
        pBar->m_pMiniFrame->setVisible(bShow != FALSE);
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

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    int nVirtKey = 0;
    switch (pCmdUI->m_nID) {
    case ID_INDICATOR_CAPS: nVirtKey = VK_CAPITAL; break;
    case ID_INDICATOR_NUM: nVirtKey = VK_NUMLOCK; break;
    case ID_INDICATOR_SCRL: nVirtKey = VK_SCROLL; break;
    case ID_INDICATOR_KANA: nVirtKey = VK_KANA; break;
    default: break;
    }
    pCmdUI->Enable(nVirtKey != 0 && AfxGetLockKeySource()->IsLockOn(nVirtKey));
}

// ---------------------------------------------------------------------------
// The message pane

void CFrameWnd::GetMessageString(UINT nID, std::string& rMessage) const
{
    AfxExtractSubString(rMessage, AfxLoadString(nID), 0);
}

void CFrameWnd::SetMessageText(UINT nID)
{
    UINT nString = nID;
    if (nID >= 0xF000 && nID < 0xF1F0)
        nString = AFX_IDS_SCFIRST + (nID - 0xF000) / 16;
    std::string message;
    GetMessageString(nString, message);
    SetMessageText(message.c_str());
}

void CFrameWnd::SetMessageText(LPCTSTR lpszText)
{
    auto* pStatus = dynamic_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR));
    if (pStatus == nullptr)
        return;
    const int nIndex = pStatus->CommandToIndex(ID_SEPARATOR);
    if (nIndex >= 0)
        pStatus->SetPaneText(nIndex, lpszText);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    CCreateContext* pContext = static_cast<CCreateContext*>(lpCreateStruct->lpCreateParams);
    if (!OnCreateClient(lpCreateStruct, pContext))
        return -1;
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (pContext != nullptr && pContext->m_pNewViewClass != nullptr) {
        if (CreateView(pContext, AFX_IDW_PANE_FIRST) == nullptr)
            return FALSE;
    }
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    CObject* pObject = pContext->m_pNewViewClass->CreateObject();
    if (pObject == nullptr)
        return nullptr;
    CView* pView = static_cast<CView*>(pObject);
    RECT rect;
    if (!pView->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rect, this, nID, pContext)) {
        delete pView;
        return nullptr;
    }
    m_pViewOwned = pView;
    if (QMainWindow* pWindow = GetMainWindow())
        pWindow->setCentralWidget(pView->GetWidget());
    return pView;
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld)
        return;
    m_pViewActive = pViewNew;
    if (bNotify) {
        if (pViewOld != nullptr)
            pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
        if (pViewNew != nullptr)
            pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
    }
}

CDocument* CFrameWnd::GetActiveDocument()
{
    return m_pViewActive != nullptr ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    if (m_pViewActive == nullptr && m_pViewOwned != nullptr)
        SetActiveView(m_pViewOwned);
    if (m_pViewActive != nullptr)
        m_pViewActive->OnInitialUpdate();
    (void)pDoc;
    OnUpdateFrameTitle(TRUE);
    if (bMakeVisible) {
        ShowWindow(SW_SHOW);
        UpdateWindow();
        if (m_pViewActive != nullptr)
            m_pViewActive->SetFocus();
    }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    std::string caption = m_strTitle;
    CDocument* pDoc = GetActiveDocument();
    if (bAddToTitle && (GetStyle() & FWS_ADDTOTITLE) && pDoc != nullptr) {
        if (GetStyle() & FWS_PREFIXTITLE)
            caption = pDoc->GetTitle() + " - " + m_strTitle;
        else
            caption = m_strTitle + " - " + pDoc->GetTitle();
    }
    if (QWidget* pWidget = GetWidget())
        pWidget->setWindowTitle(QString::fromStdString(caption));
}

std::string CFrameWnd::GetWindowText() const
{
    QWidget* pWidget = GetWidget();
    return pWidget != nullptr ? pWidget->windowTitle().toStdString() : std::string();
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra)
{
    if (CView* pView = m_pViewActive) {
        if (pView->OnCmdMsg(nID, nCode, pExtra))
            return TRUE;
        if (CDocument* pDoc = pView->GetDocument()) {
            if (pDoc->OnCmdMsg(nID, nCode, pExtra))
                return TRUE;
        }
    }
    if (CWnd::OnCmdMsg(nID, nCode, pExtra))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra);
}

BOOL CFrameWnd::IsCommandEnabled(UINT nID)
{
    CCmdUI state;
    state.m_nID = nID;
    state.DoUpdate(this, TRUE);
    return state.m_bEnabled;
}

BOOL CFrameWnd::OnCommand(UINT nID)
{
    if (!IsCommandEnabled(nID))
        return FALSE;
    return OnCmdMsg(nID, CN_COMMAND, nullptr);
}

void CFrameWnd::OnClose()
{
    CDocument* pDocument = GetActiveDocument();
    if (pDocument != nullptr && !pDocument->CanCloseFrame(this))
        return;  // the user chose to stay

    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this && pDocument != nullptr) {
        // closing the main window ends the program: closing the document
        // destroys this frame, which stops the message loop
        pApp->CloseAllDocuments(FALSE);
        return;
    }
    DestroyWindow();
}

BOOL CFrameWnd::DestroyWindow()
{
    CView* pView = m_pViewOwned;
    m_pViewOwned = nullptr;
    m_pViewActive = nullptr;
    BOOL bResult = CWnd::DestroyWindow();
    if (pView != nullptr) {
        if (CDocument* pDoc = pView->GetDocument())
            pDoc->RemoveView(pView);
        delete pView;
    }

    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) {
        pApp->m_pMainWnd = nullptr;
        QCoreApplication::quit();
    }
    if (m_bAutoDelete) {
        m_bAutoDelete = FALSE;
        delete this;
    }
    return bResult;
}
