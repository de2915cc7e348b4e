// CFrameWnd: the frame window itself, its creation, its view and caption,
// and closing it (see frame.h). The menus and message pane are in
// framemenus.cpp, the control bars in framedock.cpp, the command route in
// framecmd.cpp, the Qt pieces in framewidgets.cpp.
#include "frame.h"

#include "app.h"
#include "docksite.h"
#include "document.h"
#include "framewidgets.h"
#include "resources.h"
#include "strings_table.h"
#include "view.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMainWindow>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    AFX_ON_WM(WM_CLOSE, AfxSig_vv, void (ThisClass::*)(), OnClose)
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_DOCKSITE, OnDockSite)
    ON_COMMAND_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_KANA, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
END_MESSAGE_MAP()

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
        pBar->SetDockSite(nullptr);
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
    qApp->installEventFilter(new AcceleratorFilter(this, m_nIDHelp, pWindow));
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
