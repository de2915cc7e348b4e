#include "frame.h"

#include "app.h"
#include "document.h"
#include "recentfiles.h"
#include "strings_table.h"
#include "view.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    AFX_ON_WM(WM_CLOSE, AfxSig_vv, void (ThisClass::*)(), OnClose)
END_MESSAGE_MAP()

// The Qt window behind a frame. Closing it from the window system is the
// frame's WM_CLOSE, run from the event loop once the close event is over
// (the frame may destroy this very widget).
class FrameWidget : public QMainWindow {
public:
    explicit FrameWidget(CFrameWnd* pFrame) : m_pFrame(pFrame) {}

protected:
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

namespace {

int QtKeyFromVirtualKey(WORD vk)
{
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return vk;  // Qt::Key_0.. and Qt::Key_A.. have the same codes
    if (vk >= 0x70 && vk <= 0x87)
        return Qt::Key_F1 + (vk - 0x70);
    switch (vk) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x1B: return Qt::Key_Escape;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x23: return Qt::Key_End;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x2D: return Qt::Key_Insert;
    case 0x2E: return Qt::Key_Delete;
    default: return 0;
    }
}

QKeySequence KeySequenceFromAccel(const AfxAccel& a)
{
    int key = QtKeyFromVirtualKey(a.key);
    if (key == 0 || (a.fVirt & FVIRTKEY) == 0)
        return QKeySequence();
    int mods = 0;
    if (a.fVirt & FSHIFT)
        mods |= Qt::SHIFT;
    if (a.fVirt & FCONTROL)
        mods |= Qt::CTRL;
    if (a.fVirt & FALT)
        mods |= Qt::ALT;
    return QKeySequence(key | mods);
}

// Runs a command from the event loop, after the menu or shortcut that
// triggered it is done (the command may close the window).
void PostCommand(QWidget* pWidget, CFrameWnd* pFrame, UINT nID)
{
    QPointer<QWidget> guard(pWidget);
    QMetaObject::invokeMethod(
        pWidget,
        [guard, pFrame, nID] {
            if (guard)
                pFrame->OnCommand(nID);
        },
        Qt::QueuedConnection);
}

}  // namespace

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
    return TRUE;
}

QWidget* CFrameWnd::CreateWidget(const CREATESTRUCT& cs, QWidget* pParent)
{
    FrameWidget* pWindow = new FrameWidget(this);
    if (pParent != nullptr)
        pWindow->setParent(pParent, Qt::Window);
    pWindow->resize(cs.cx > 0 ? cs.cx : 640, cs.cy > 0 ? cs.cy : 480);
    pWindow->setWindowTitle(QString::fromStdString(m_strTitle));
    BuildMenu(pWindow);
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
            // The text after "\t" is the shortcut column; the keys themselves
            // are the accelerators below.
            QAction* pAction = pMenu->addAction(QString::fromStdString(item.text));
            pAction->setData(item.nID);
            pAction->setEnabled(!item.bGrayed);
            UINT nID = item.nID;
            QObject::connect(pAction, &QAction::triggered, pWindow,
                             [this, pWindow, nID] { PostCommand(pWindow, this, nID); });
        }
        QObject::connect(pMenu, &QMenu::aboutToShow, pWindow, [this, pMenu] {
            // the recent files as they are now, in place of their place holder
            CWinApp* pApp = AfxGetApp();
            if (pApp != nullptr && pApp->m_pRecentFileList != nullptr)
                pApp->m_pRecentFileList->UpdateMenu(pMenu);
            for (QAction* pAction : pMenu->actions()) {
                if (!pAction->isSeparator())
                    pAction->setEnabled(IsCommandEnabled(pAction->data().toUInt()));
            }
        });
    }

    for (const AfxAccel& accel : AfxLoadAccelerators(m_nIDHelp)) {
        QKeySequence keys = KeySequenceFromAccel(accel);
        if (keys.isEmpty())
            continue;
        QAction* pAction = new QAction(pWindow);
        pAction->setShortcut(keys);
        pAction->setShortcutContext(Qt::WindowShortcut);
        UINT nID = accel.cmd;
        QObject::connect(pAction, &QAction::triggered, pWindow,
                         [this, pWindow, nID] { PostCommand(pWindow, this, nID); });
        pWindow->addAction(pAction);
    }
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

BOOL CFrameWnd::HasCommandHandler(UINT nID)
{
    if (CView* pView = m_pViewActive) {
        if (pView->FindMessageEntry(WM_COMMAND, CN_COMMAND, nID) != nullptr)
            return TRUE;
        CDocument* pDoc = pView->GetDocument();
        if (pDoc != nullptr && pDoc->FindMessageEntry(WM_COMMAND, CN_COMMAND, nID) != nullptr)
            return TRUE;
    }
    if (FindMessageEntry(WM_COMMAND, CN_COMMAND, nID) != nullptr)
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->FindMessageEntry(WM_COMMAND, CN_COMMAND, nID) != nullptr;
}

BOOL CFrameWnd::IsCommandEnabled(UINT nID)
{
    CCmdUI state;
    state.m_nID = nID;
    OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state);
    if (state.m_bEnableChanged)
        return state.m_bEnabled;
    // a command nobody serves is grayed
    return HasCommandHandler(nID);
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
