// CDialog: a dialog box built from a dialog template of the resources, run
// modally. Positions and sizes are in dialog units, turned into pixels from
// the dialog font's metrics as on Windows.
#ifndef RUVOK_DIALOG_H
#define RUVOK_DIALOG_H

#include "wnd.h"

#include <string>

struct AfxDialogTemplate;
class QFont;

// What DoDataExchange is given: the direction and the dialog.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    // The template nIDTemplate of the resources; the owner is pParentWnd or,
    // without one, the main window.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog: IDOK or IDCANCEL (or what EndDialog
    // was given); -1 when the template is missing or the window could not be
    // made.
    virtual int DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    // The control with id nID while the dialog is up; NULL if none.
    QWidget* GetDlgItemWidget(int nID) const;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void OnOK();
    virtual void OnCancel();

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParent) override;

    UINT m_nIDHelp;

    DECLARE_MESSAGE_MAP()

private:
    friend class DialogWidget;
    CWnd* m_pParentWnd;
};

// ---------------------------------------------------------------------------
// Dialog fonts and dialog units

// The font a template names, at its point size (96 pixels an inch, as
// Windows lays dialogs out). A face that is not installed is matched to the
// nearest installed Japanese font of its kind: proportional or fixed,
// gothic or mincho.
QFont AfxCreateDialogFont(const std::string& faceName, WORD wPointSize);

// Horizontal and vertical base units of a dialog font: the average width of
// the Latin letters and the character height.
struct AfxDialogBaseUnits {
    int cx = 0;
    int cy = 0;
};
AfxDialogBaseUnits AfxGetDialogBaseUnits(const QFont& font);

// Dialog units to pixels: x * cx / 4, y * cy / 8, rounded.
RECT AfxMapDialogRect(const AfxDialogBaseUnits& units, int x, int y, int cx, int cy);

#endif
