// CEdit: the handle through which the edit control that is a CEditView's
// window is driven. Every call is a message to that window, so it passes
// through the view's WindowProc as on Windows.
#ifndef RUVOK_EDIT_H
#define RUVOK_EDIT_H

#include "wnd.h"

class CFont;

class CEdit {
public:
    // The largest limit the control supports (EM_LIMITTEXT with 0).
    static constexpr UINT kMaxTextLimit = 0x7FFFFFFE;

    explicit CEdit(CWnd* pWnd) : m_pWnd(pWnd) {}

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // The whole text, as NUL-terminated code page 932 bytes. Replacing it
    // does not mark the document modified and forgets the undo history.
    void SetWindowText(LPCTSTR lpszString) const;
    // The same for a text of nLength bytes that may hold 00 bytes, each kept
    // and shown like a byte the code page can't show.
    void SetWindowText(LPCTSTR lpszString, UINT nLength) const;
    int GetWindowTextLength() const;
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;

    // Byte offsets into the text, as the control counts them.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE) const;
    void GetSel(int& nStartChar, int& nEndChar) const;
    void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE) const;

    void LimitText(int nChars = 0) const;
    UINT GetLimitText() const;
    BOOL SetTabStops(int cxEachStop) const;
    BOOL SetTabStops(int nTabStops, const int* rgTabStops) const;

    BOOL CanUndo() const;
    BOOL Undo() const;
    void EmptyUndoBuffer() const;
    void Clear() const;
    void Copy() const;
    void Cut() const;
    void Paste() const;

    BOOL GetModify() const;
    void SetModify(BOOL bModified = TRUE) const;
    int GetLineCount() const;


private:
    CWnd* m_pWnd;
};

#endif
