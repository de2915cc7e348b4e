// CView: a window that shows one document. The document adds the view to its
// list (CDocument::AddView sets m_pDocument) when the frame creates the view
// with a CCreateContext naming that document.
#ifndef RUVOK_VIEW_H
#define RUVOK_VIEW_H

#include "wnd.h"

class CDC;
class CPrintInfo;
struct AfxPrintTarget;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    // Called by the frame when the view gains or loses being the active one.
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);

    // Drawing onto a device context; the screen and the printer.
    virtual void OnDraw(CDC* pDC) = 0;

    // The printing steps; the print commands below run them, for the
    // printer and for print preview alike.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Before each page; clearing pInfo->m_bContinuePrinting ends the job.
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    // Draws page pInfo->m_nCurPage; the base draws OnDraw.
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);

    // Runs one print job: the print dialog (none when bDirect), the pages
    // with the progress box, and the end. TRUE when the job was printed;
    // FALSE when it was cancelled or could not start (that one reported).
    // pTarget names the printer in place of the current one.
    BOOL RunPrintJob(BOOL bDirect, const AfxPrintTarget* pTarget = nullptr);

    // Remembers which command is running, so that one handler can serve
    // both print commands.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;

protected:
    CView();

    BOOL DoPreparePrinting(CPrintInfo* pInfo);

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();

    // The print commands a view class maps: OnFilePrint for ID_FILE_PRINT
    // (with the print dialog) and ID_FILE_PRINT_DIRECT (without it),
    // OnFilePrintPreview for ID_FILE_PRINT_PREVIEW.
    void OnFilePrint();
    void OnFilePrintPreview();
    UINT m_nCommandRunning = 0;
    void OnUpdateSplitCmd(CCmdUI* pCmdUI);

    CDocument* m_pDocument = nullptr;
    friend class CDocument;

    DECLARE_MESSAGE_MAP()
};

#endif
