// CFrameWnd: the top-level window of a document, a Qt main window with the
// menu, accelerators, icon and title of its resource id, its control bars
// (docked on its sides or floating) and its view. Commands go first to the
// active view, then to the view's document, then to the frame, then to the
// app; the state of every menu item, button and pane comes from that same
// route, at idle and when a menu is about to show. Its bars talk to it by
// messages (controlbar.h). The window, its view and caption are in
// frame.cpp, the menus and message pane in framemenus.cpp, the bars in
// framedock.cpp, the command route in framecmd.cpp.
#ifndef RUVOK_FRAME_H
#define RUVOK_FRAME_H

#include "controlbar.h"

#include <string>
#include <vector>

class CDocument;
class CView;
class QMainWindow;
class QAction;
class QMenu;

// Prompts of the system menu's commands: the first of one string per 16
// command ids from 0xF000.
constexpr UINT AFX_IDS_SCFIRST = 0xEF00;

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
    // Brings every menu item, bar button and status pane up to date from
    // the command route (what the framework does whenever it goes idle).
    void OnIdleUpdateCmdUI();

    // Control bars (framedock.cpp). The sides (CBRS_ALIGN_*) the frame
    // docks bars on.
    void EnableDocking(DWORD dwDockStyle);
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    // Docks the bar on side nDockBarID (AFX_IDW_DOCKBAR_*); 0: the first
    // side its own alignment style names that the frame docks on.
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, const RECT* lpRect = nullptr);
    // Puts the bar in a small window of its own at point (screen
    // coordinates).
    void FloatControlBar(CControlBar* pBar, POINT point, DWORD dwStyle = CBRS_ALIGN_TOP);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    // The bar with child id nID (AFX_IDW_TOOLBAR, ...); NULL if none.
    CControlBar* GetControlBar(UINT nID) const;
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);

    // The message pane of the status bar: a text, or the prompt of command
    // (or system command) nID; AFX_IDS_IDLEMESSAGE for the idle text.
    void SetMessageText(LPCTSTR lpszText);
    void SetMessageText(UINT nID);
    // The prompt of nID: its string up to the first "\n".
    virtual void GetMessageString(UINT nID, std::string& rMessage) const;
    // The resource id of the frame's menu and accelerator table.
    UINT GetResourceID() const { return m_nIDHelp; }

    QMainWindow* GetMainWindow() const;

    // Opens the first file dropped, as File Open would.
    void OnDropFiles(struct HDROP__* hDropInfo) override;

    // The document's text is about to be replaced: what shows the old text
    // in the view's place (the print preview) closes first. Every route
    // that replaces the text calls this before it does.
    void BeforeReplacingText();

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    void OnClose();
    void OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    // WM_SETMESSAGESTRING from a bar or other child: its prompt in the
    // message pane.
    LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    // WM_DOCKSITE: what a bar asks of the frame that keeps it.
    LRESULT OnDockSite(WPARAM wParam, LPARAM lParam);
    // A command (WM_COMMAND from a menu, key or bar) runs as OnCommand
    // runs it: only while enabled.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParent) override;

    UINT m_nIDHelp = 0;
    std::string m_strTitle;
    CView* m_pViewActive = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    void BuildMenu(QMainWindow* pWindow);
    void UpdateMenuCmdUI(QMenu* pMenu);

    CView* m_pViewOwned = nullptr;  // the view this frame created and deletes
    BOOL m_bAutoDelete = FALSE;     // deletes itself once its window is gone
    DWORD m_dwDockStyle = 0;
    std::vector<CControlBar*> m_listControlBars;
};

// Runs command nID on pFrame from the event loop, once the menu, button or
// key that asked for it is done (the command may close the window).
void AfxPostCommand(CFrameWnd* pFrame, UINT nID);

// The frame that a window sits in (itself if it is one); NULL if none.
CFrameWnd* AfxGetParentFrame(const CWnd* pWnd);

#endif
