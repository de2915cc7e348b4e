// Print preview inside the frame: the view's pages in place of the view,
// under the preview bar, with the preview's own keys. The view comes back
// as it was when the preview closes.
#ifndef RUVOK_PREVIEW_H
#define RUVOK_PREVIEW_H

#include "view.h"

#include <QList>
#include <QPageLayout>
#include <QPointF>
#include <QPointer>

#include <memory>

class CFrameWnd;
class QAction;
class AfxPreviewPages;
class CPrintInfo;
class QPainter;
class QPushButton;
class QToolBar;

class CPreviewView : public CView {
    DECLARE_DYNAMIC(CPreviewView)
public:
    // Opens the preview of pPrintView in its frame; FALSE if there is none
    // to open it in.
    static BOOL Open(CView* pPrintView);
    // The preview open in pFrame, or NULL.
    static CPreviewView* GetPreview(CFrameWnd* pFrame);

    // Closes the preview and gives the frame its view back.
    void Close();
    // Closes the preview in pFrame, if one shows: what the frame does before
    // anything replaces the document's text (BeforeReplacingText).
    static void CloseIn(CFrameWnd* pFrame);

    enum ZoomState { kZoomOut = 0, kZoomMiddle = 1, kZoomIn = 2 };

    UINT GetCurrentPage() const;
    UINT GetPageCount() const;
    UINT GetNumPages() const { return m_nPages; }  // 1 or 2 on the screen
    int GetZoomState() const { return m_nZoomState; }
    QPushButton* GetButton(UINT nID) const;
    AfxPreviewPages* GetPagesWidget() const { return m_pPages; }
    // The page indicator as the status bar shows it.
    QString GetPageDescription() const;

    void OnDraw(CDC* pDC) override;

protected:
    CPreviewView();
    ~CPreviewView() override;

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParent) override;
    void OnWidgetDestroyed() override;

    void OnPreviewClose();
    void OnPreviewPrint();
    void OnNextPage();
    void OnPrevPage();
    void OnNumPageChange();
    void OnZoomIn();
    void OnZoomOut();
    void OnUpdateNextPage(CCmdUI* pCmdUI);
    void OnUpdatePrevPage(CCmdUI* pCmdUI);
    void OnUpdateNumPageChange(CCmdUI* pCmdUI);
    void OnUpdateZoomIn(CCmdUI* pCmdUI);
    void OnUpdateZoomOut(CCmdUI* pCmdUI);

    DECLARE_MESSAGE_MAP()

private:
    friend class PreviewClosePrompt;
    // Lays the view's pages out for the printer as it is set up now (again
    // when Print Setup changes it); the layout lasts until the preview closes.
    void PreparePages();
    void EndPages();
    void DrawPage(QPainter& painter, UINT nPage);
    void OnPageClicked(UINT nPage, QPointF fraction);
    void SetCurrentPage(UINT nPage);
    void SetZoom(int nState, const QPointF* pFraction = nullptr);
    void SetNumPages(UINT nPages);
    void UpdateControls();
    // Posts command nID to the frame, as a key or a button does.
    void PostCommand(UINT nID);

    CFrameWnd* m_pFrame = nullptr;
    CView* m_pPrintView = nullptr;
    QPointer<QWidget> m_pViewWidget;  // the view's own widget, out of the frame meanwhile
    AfxPreviewPages* m_pPages = nullptr;
    std::unique_ptr<CPrintInfo> m_pInfo;  // the view's printing state while it shows
    QPageLayout m_layout;                 // the printer's, as the pages were laid out for
    QWidget* m_pBar = nullptr;
    QPointer<QObject> m_pKeys;  // the preview's keys, while it shows
    UINT m_nPages = 1;
    int m_nZoomState = kZoomOut;
    bool m_bClosed = false;
    QList<QPointer<QToolBar>> m_hiddenBars;
};

#endif
