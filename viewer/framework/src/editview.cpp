// CEditView: the view that is an edit control, its edit commands and their
// enabling; the control itself is EditControl.
#include "editview.h"

#include "clipboard.h"
#include "document.h"
#include "editaccessible.h"
#include "editcontrol.h"

#include <QAccessible>

IMPLEMENT_DYNAMIC(CEditView, CView)

BEGIN_MESSAGE_MAP(CEditView, CView)
    ON_WM_CREATE()
    ON_CONTROL_REFLECT(EN_CHANGE, OnEditChange)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_COMMAND(ID_EDIT_CLEAR, OnEditClear)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateNeedClip)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateNeedText)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
END_MESSAGE_MAP()

CEditView::CEditView() : m_edit(this) {}

CEditView::~CEditView()
{
    // The widget goes before the control state it points back to.
    DestroyWindow();
}

CEdit& CEditView::GetEditCtrl() const
{
    return m_edit;
}

LPCTSTR CEditView::LockBuffer() const
{
    if (m_pControl == nullptr)
        return "";
    return m_pControl->Bytes().constData();
}

void CEditView::UnlockBuffer() const {}

UINT CEditView::GetBufferLength() const
{
    if (m_pControl == nullptr)
        return 0;
    return static_cast<UINT>(m_pControl->Bytes().size());
}

BOOL CEditView::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CView::PreCreateWindow(cs))
        return FALSE;
    cs.style |= static_cast<LONG>(AFX_WS_DEFAULT_VIEW | WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL
                                  | ES_AUTOVSCROLL | ES_MULTILINE | ES_NOHIDESEL);
    return TRUE;
}

void CEditView::OnDraw(CDC*) {}

int CEditView::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CView::OnCreate(lpCreateStruct) == -1)
        return -1;
    GetEditCtrl().LimitText(0xFFFFF);
    GetEditCtrl().SetTabStops(EditControl::kDefaultTabStop);
    return 0;
}

QWidget* CEditView::CreateWidget(const CREATESTRUCT& cs, QWidget* pParent)
{
    // The control is owned here and lent to its Qt parent; OnWidgetDestroyed
    // takes it back when the parent deletes it first.
    m_pControl.reset(new EditControl(this, pParent));
    EditControl* w = m_pControl.get();
    // A screen reader reads a long line as one (editaccessible.h).
    static const bool accessible = (QAccessible::installFactory(editaccessible::Factory), true);
    (void)accessible;
    editaccessible::Claim(w);
    const DWORD style = static_cast<DWORD>(cs.style);
    // Without horizontal auto-scrolling a multi-line control wraps its lines
    // at its width; without WS_HSCROLL it has no horizontal scroll bar.
    w->setLineWrapMode((style & ES_AUTOHSCROLL) != 0 ? QPlainTextEdit::NoWrap
                                                     : QPlainTextEdit::WidgetWidth);
    w->setHorizontalScrollBarPolicy((style & WS_HSCROLL) != 0 ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAlwaysOff);
    w->setVerticalScrollBarPolicy((style & WS_VSCROLL) != 0 ? Qt::ScrollBarAlwaysOn
                                                            : Qt::ScrollBarAlwaysOff);
    w->setFrameShape((style & WS_BORDER) != 0 ? QFrame::StyledPanel : QFrame::NoFrame);
    w->setReadOnly((style & ES_READONLY) != 0);
    return w;
}

void CEditView::OnWidgetDestroyed()
{
    // Qt has already deleted the widget.
    (void)m_pControl.release();
}

void CEditView::OnEditChange()
{
    if (CDocument* pDoc = GetDocument())
        pDoc->SetModifiedFlag();
}

LRESULT CEditView::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_pControl != nullptr && m_pControl->HandleMessage(message, wParam, lParam, result))
        return result;
    return CView::DefWindowProc(message, wParam, lParam);
}

void CEditView::OnEditCut()
{
    GetEditCtrl().Cut();
}

void CEditView::OnEditCopy()
{
    GetEditCtrl().Copy();
}

void CEditView::OnEditPaste()
{
    GetEditCtrl().Paste();
}

void CEditView::OnEditClear()
{
    GetEditCtrl().Clear();
}

void CEditView::OnEditUndo()
{
    GetEditCtrl().Undo();
}

void CEditView::OnEditSelectAll()
{
    GetEditCtrl().SetSel(0, -1);
}

void CEditView::OnUpdateNeedSel(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pControl != nullptr && m_pControl->HasSelection());
}

void CEditView::OnUpdateNeedClip(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsClipboardFormatAvailable(CF_TEXT));
}

void CEditView::OnUpdateNeedText(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pControl != nullptr && m_pControl->HasText());
}

void CEditView::OnUpdateEditUndo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pControl != nullptr && m_pControl->CanUndo());
}
