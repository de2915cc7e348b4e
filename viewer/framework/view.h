// CView: a window that shows one document. The document adds the view to its
// list (CDocument::AddView sets m_pDocument) when the frame creates the view
// with a CCreateContext naming that document.
#ifndef RUVOK_VIEW_H
#define RUVOK_VIEW_H

#include "wnd.h"

class CDC;
class CPrintInfo;

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

    // The printing steps; the print commands below run them.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);

protected:
    CView();

    BOOL DoPreparePrinting(CPrintInfo* pInfo);

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();

    // The print commands (ID_FILE_PRINT, ID_FILE_PRINT_DIRECT,
    // ID_FILE_PRINT_PREVIEW) a view maps to.
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnUpdateFilePrint(CCmdUI* pCmdUI);
    void OnUpdateSplitCmd(CCmdUI* pCmdUI);

    CDocument* m_pDocument = nullptr;
    friend class CDocument;

    DECLARE_MESSAGE_MAP()
};

#endif
