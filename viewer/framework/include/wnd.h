// Windows: the message-driven window layer the views and frames are written
// against. A CWnd owns one Qt widget; messages reach it through WindowProc,
// which runs the class's message map (own entries first, then the base
// classes') and otherwise the window's default procedure (DefWindowProc).
#ifndef RUVOK_WND_H
#define RUVOK_WND_H

#include "afx.h"
#include "styles.h"

class QWidget;
class CDocument;
class CDocTemplate;
class CFrameWnd;
class CView;

struct HWND__;
typedef HWND__* HWND;
typedef HANDLE HMENU;

// ---------------------------------------------------------------------------
// Messages beyond afx.h's, for windows and the edit control

constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_SETTABSTOPS = 0x00CB;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;

// ---------------------------------------------------------------------------
// Creation

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct CREATESTRUCT {
    LPVOID lpCreateParams = nullptr;  // the CCreateContext* for views
    HINSTANCE hInstance = nullptr;
    HMENU hMenu = nullptr;
    HWND hwndParent = nullptr;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    LONG style = 0;
    LPCSTR lpszName = nullptr;
    LPCSTR lpszClass = nullptr;
    DWORD dwExStyle = 0;
};
typedef CREATESTRUCT* LPCREATESTRUCT;

// What a frame hands to the view it creates (MFC's creation context).
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

// The program's own instance handle; a window created without another one
// in CREATESTRUCT::hInstance gets this.
HINSTANCE AfxGetInstanceHandle();

// ---------------------------------------------------------------------------
// Message-map entries for window messages

#define ON_WM_CREATE() AFX_ON_WM(WM_CREATE, AfxSig_is, int (ThisClass::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_PAINT() AFX_ON_WM(WM_PAINT, AfxSig_vv, void (ThisClass::*)(), OnPaint)
#define ON_WM_DESTROY() AFX_ON_WM(WM_DESTROY, AfxSig_vv, void (ThisClass::*)(), OnDestroy)

// ---------------------------------------------------------------------------

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    // Creates the window: fills a CREATESTRUCT, lets PreCreateWindow adjust
    // it, builds the widget (as a child of pParentWnd's widget), then sends
    // WM_CREATE. FALSE, with no window left behind, when PreCreateWindow
    // returns FALSE or OnCreate returns -1.
    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID,
                        CCreateContext* pContext = nullptr);
    virtual BOOL DestroyWindow();

    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);

    // Every message sent to the window goes through here.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Sends the message from the event loop, once what is under way now is
    // done (the sender's menu or button, which the message may close); it is
    // dropped if the window has gone by then.
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Commands: runs command nID through OnCmdMsg; FALSE when nothing in
    // this window's maps serves it.
    BOOL HandleCommand(UINT nID);
    // Whether nID is enabled here; *pbHandled (if given) tells whether any
    // entry answered at all.
    BOOL IsCommandEnabled(UINT nID, BOOL* pbHandled = nullptr);

    // The widget behind the window (for a frame to place its view);
    // NULL before Create and after DestroyWindow.
    QWidget* GetWidget() const { return m_pWidget; }
    DWORD GetStyle() const { return m_dwStyle; }
    UINT GetDlgCtrlID() const { return m_nID; }
    CWnd* GetParent() const { return m_pParentWnd; }

    void ShowWindow(int nCmdShow);
    void SetFocus();
    void Invalidate(BOOL bErase = TRUE);
    void UpdateWindow();

    // Files dropped anywhere on this window (its children included) come to
    // OnDropFiles instead of the child they were dropped on.
    void DragAcceptFiles(BOOL bAccept = TRUE);
    virtual void OnDropFiles(struct HDROP__* hDropInfo);

protected:
    // Builds the widget for a CREATESTRUCT; the base makes a plain QWidget.
    virtual QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParent);
    // Called after the widget is gone (destroyed by DestroyWindow or by its
    // Qt parent), before the window's WM_DESTROY.
    virtual void OnWidgetDestroyed();

    // Runs the message map; FALSE when no entry took the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The window's own procedure: what runs when the map has no entry.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default procedure for the message being handled now.
    LRESULT Default();

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

private:
    QWidget* m_pWidget = nullptr;
    CWnd* m_pParentWnd = nullptr;
    DWORD m_dwStyle = 0;
    UINT m_nID = 0;
    struct CurrentMsg {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    } m_currentMsg;
    // Set by the destructor: a handler may delete its window (a frame that
    // closes deletes itself), and the WindowProc calls under it must not
    // touch it after.
    bool* m_pbDeleted = nullptr;
};

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

#endif
