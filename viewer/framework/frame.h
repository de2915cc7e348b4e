// CFrameWnd: the top-level window of a document, a Qt main window with the
// menu and accelerators of its resource id. Commands go first to the active
// view, then to the view's document, then to the frame, then to the app.
#ifndef RUVOK_FRAME_H
#define RUVOK_FRAME_H

#include "wnd.h"

#include <string>

class CDocument;
class CView;
class QMainWindow;

constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
constexpr DWORD FWS_PREFIXTITLE = 0x00004000;

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the window with the menu, accelerators and title of
    // nIDResource, and the view that pContext names.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW |
                                                                   FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL DestroyWindow() override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);

    // Caption: the document's title, " - ", the frame's title.
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    const std::string& GetTitle() const { return m_strTitle; }
    // The caption as shown.
    std::string GetWindowText() const;

    // Routes a command along view, document, frame, application.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;
    // Runs command nID as a menu item or accelerator would: only if enabled.
    BOOL OnCommand(UINT nID);
    // Whether nID would run now: its enabling handler's answer, or whether
    // any target along the route serves it.
    BOOL IsCommandEnabled(UINT nID);

    QMainWindow* GetMainWindow() const;

    // Opens the first file dropped, as File Open would.
    void OnDropFiles(struct HDROP__* hDropInfo) override;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    void OnClose();

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParent) override;

    UINT m_nIDHelp = 0;
    std::string m_strTitle;
    CView* m_pViewActive = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    friend class FrameWidget;
    BOOL HasCommandHandler(UINT nID);
    void BuildMenu(QMainWindow* pWindow);

    CView* m_pViewOwned = nullptr;  // the view this frame created and deletes
    BOOL m_bAutoDelete = FALSE;     // deletes itself once its window is gone
};

// The frame that a window sits in (itself if it is one); NULL if none.
CFrameWnd* AfxGetParentFrame(const CWnd* pWnd);

#endif
