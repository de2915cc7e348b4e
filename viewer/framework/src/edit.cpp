// CEdit: each call a message to the edit control's window.
#include "edit.h"

#include "font.h"

LRESULT CEdit::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_pWnd->SendMessage(message, wParam, lParam);
}

void CEdit::SetWindowText(LPCTSTR lpszString) const
{
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpszString));
}

void CEdit::SetWindowText(LPCTSTR lpszString, UINT nLength) const
{
    SendMessage(WM_SETTEXT, static_cast<WPARAM>(nLength), reinterpret_cast<LPARAM>(lpszString));
}

int CEdit::GetWindowTextLength() const
{
    return static_cast<int>(SendMessage(WM_GETTEXTLENGTH));
}

int CEdit::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
{
    return static_cast<int>(
        SendMessage(WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpszStringBuf)));
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL) const
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(nStartChar), static_cast<LPARAM>(nEndChar));
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    nStartChar = static_cast<int>(start);
    nEndChar = static_cast<int>(end);
}

void CEdit::ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo) const
{
    SendMessage(EM_REPLACESEL, static_cast<WPARAM>(bCanUndo), reinterpret_cast<LPARAM>(lpszNewText));
}

void CEdit::LimitText(int nChars) const
{
    SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars));
}

UINT CEdit::GetLimitText() const
{
    return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT));
}

BOOL CEdit::SetTabStops(int cxEachStop) const
{
    return static_cast<BOOL>(SendMessage(EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&cxEachStop)));
}

BOOL CEdit::SetTabStops(int nTabStops, const int* rgTabStops) const
{
    return static_cast<BOOL>(
        SendMessage(EM_SETTABSTOPS, static_cast<WPARAM>(nTabStops), reinterpret_cast<LPARAM>(rgTabStops)));
}

BOOL CEdit::CanUndo() const
{
    return static_cast<BOOL>(SendMessage(EM_CANUNDO));
}

BOOL CEdit::Undo() const
{
    return static_cast<BOOL>(SendMessage(EM_UNDO));
}

void CEdit::EmptyUndoBuffer() const
{
    SendMessage(EM_EMPTYUNDOBUFFER);
}

void CEdit::Clear() const
{
    SendMessage(WM_CLEAR);
}

void CEdit::Copy() const
{
    SendMessage(WM_COPY);
}

void CEdit::Cut() const
{
    SendMessage(WM_CUT);
}

void CEdit::Paste() const
{
    SendMessage(WM_PASTE);
}

BOOL CEdit::GetModify() const
{
    return static_cast<BOOL>(SendMessage(EM_GETMODIFY));
}

void CEdit::SetModify(BOOL bModified) const
{
    SendMessage(EM_SETMODIFY, static_cast<WPARAM>(bModified));
}

int CEdit::GetLineCount() const
{
    return static_cast<int>(SendMessage(EM_GETLINECOUNT));
}

