// CRuvokView: the viewer's only view, the framework's edit view with lines
// wrapped at the window's width, no text limit short of the control's own,
// the system's fixed-pitch font, and a paste that converts the clipboard's
// text to Shift_JIS with CR LF line ends first.
#ifndef RUVOK_RUVOKVIEW_H
#define RUVOK_RUVOKVIEW_H

#include "editview.h"
#include "font.h"

#include <memory>

// Set until the first WM_PAINT that reaches a view; that paint gives the
// control the fixed font, once for the whole process.
extern int g_bFixedFontPending;
// The font object holding the stock fixed font; made at the first WM_PAINT,
// kept until the program ends.
extern std::unique_ptr<CFont> g_pFixedFont;

class CRuvokView : public CEditView {
protected:
    CRuvokView();
    DECLARE_DYNCREATE(CRuvokView)

public:
    ~CRuvokView() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);

    // The block given to the edit control as its instance handle.
    HGLOBAL m_hEditMemory;

    DECLARE_MESSAGE_MAP()

private:
    void ConvertClipboardText();
};

#endif
