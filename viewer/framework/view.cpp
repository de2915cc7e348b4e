// CView: joining and leaving the document, activation, and the printing
// steps a view overrides.
#include "view.h"

#include "document.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

// The print commands' handlers are here, but a view's own map routes them
// to these (as the viewer's does): a view that maps none prints nothing.
BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, OnUpdateFilePrint)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_DIRECT, OnUpdateFilePrint)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_PREVIEW, OnUpdateFilePrint)
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

// Printing arrives with the print support; until then the steps succeed
// without doing anything and the commands print nothing.
BOOL CView::OnPreparePrinting(CPrintInfo*)
{
    return TRUE;
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

BOOL CView::DoPreparePrinting(CPrintInfo*)
{
    return FALSE;
}

void CView::OnFilePrint() {}

void CView::OnFilePrintPreview() {}

// Until printing is there, its commands are grayed rather than silent.
void CView::OnUpdateFilePrint(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
}

// Splitting, and moving between panes, need a splitter window; a view has
// none.
void CView::OnUpdateSplitCmd(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
}
