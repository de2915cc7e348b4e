// CDialog: a dialog box built from a dialog template of the resources, run
// modally. Positions and sizes are in dialog units, turned into pixels from
// the dialog font's metrics as on Windows.
#ifndef RUVOK_DIALOG_H
#define RUVOK_DIALOG_H

#include "frame.h"

#include <string>

// Window and dialog styles of dialog templates.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;

// Control styles.
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD BS_TYPEMASK = 0x000F;
constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;

constexpr UINT ID_HELP = 0xE146;

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
