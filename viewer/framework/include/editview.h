// CEditView: a view that is a multi-line edit control (the widget in
// editcontrol.h), driven through CEdit (edit.h).
//
// The control's text is code page 932 bytes with the line ends exactly as set
// (CR LF, a lone CR or a lone LF); what the widget shows is its Unicode
// reading, converted losslessly at this boundary (see cp932text.h).
#ifndef RUVOK_EDITVIEW_H
#define RUVOK_EDITVIEW_H

#include "edit.h"
#include "view.h"

#include <memory>

class CEditView : public CView {
    DECLARE_DYNAMIC(CEditView)
public:
    CEditView();
    ~CEditView() override;

    // The control that is this view's window.
    CEdit& GetEditCtrl() const;

    // The text in place: GetBufferLength bytes, with a NUL after them.
    // Valid until the text changes or UnlockBuffer.
    LPCTSTR LockBuffer() const;
    void UnlockBuffer() const;
    UINT GetBufferLength() const;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnDraw(CDC* pDC) override;

    // Printing (editviewprint.cpp): the text in the view's font, wrapped to the
    // page's width, cut into pages by lines.
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);

    // The edit commands and their enabling rules.
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnEditUndo();
    void OnEditSelectAll();
    void OnUpdateNeedSel(CCmdUI* pCmdUI);
    void OnUpdateNeedClip(CCmdUI* pCmdUI);
    void OnUpdateNeedText(CCmdUI* pCmdUI);
    void OnUpdateEditUndo(CCmdUI* pCmdUI);

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParent) override;
    void OnWidgetDestroyed() override;
    // The edit control's own window procedure.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // EN_CHANGE, the user changed the text: the document is now modified.
    virtual void OnEditChange();

    DECLARE_MESSAGE_MAP()

private:
    std::unique_ptr<class EditControl> m_pControl;
    mutable CEdit m_edit;
    class EditPrintLayout* m_pPrintLayout = nullptr;  // between begin and end of printing
};

#endif
