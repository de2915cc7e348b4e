// CView: joining and leaving the document, activation and updates, and the
// command it remembers while it runs; its printing is in viewprint.cpp.
#include "view.h"

#include "document.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

// The print commands' handlers are here, but a view's own map routes them
// to these (as the viewer's does): a view that maps none prints nothing.
BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_UPDATE_COMMAND_UI(ID_WINDOW_SPLIT, OnUpdateSplitCmd)
    ON_UPDATE_COMMAND_UI(ID_NEXT_PANE, OnUpdateSplitCmd)
    ON_UPDATE_COMMAND_UI(ID_PREV_PANE, OnUpdateSplitCmd)
END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView()
{
    if (m_pDocument != nullptr)
        m_pDocument->RemoveView(this);
}

int CView::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    auto* pContext = static_cast<CCreateContext*>(lpCreateStruct->lpCreateParams);
    if (pContext != nullptr && pContext->m_pCurrentDoc != nullptr)
        pContext->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy()
{
    if (m_pDocument != nullptr)
        m_pDocument->RemoveView(this);
    Default();
}

void CView::OnActivateView(BOOL bActivate, CView*, CView*)
{
    if (bActivate)
        SetFocus();
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate(TRUE);
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra)
{
    if (nCode != CN_COMMAND || pExtra != nullptr)
        return CWnd::OnCmdMsg(nID, nCode, pExtra);
    const UINT saved = m_nCommandRunning;
    m_nCommandRunning = nID;
    const BOOL result = CWnd::OnCmdMsg(nID, nCode, pExtra);
    m_nCommandRunning = saved;
    return result;
}

// The printing steps and the print commands are in viewprint.cpp.

// Splitting, and moving between panes, need a splitter window; a view has
// none.
void CView::OnUpdateSplitCmd(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
}
