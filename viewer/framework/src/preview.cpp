// Print preview inside the frame (see preview.h): opening and closing it, the
// view's pages laid out and drawn, the command route while it shows.
#include "preview.h"

#include "app.h"
#include "document.h"
#include "dc.h"
#include "frame.h"
#include "printdlgs.h"
#include "accelerators.h"
#include "previewpages.h"
#include "printing.h"
#include "resources.h"
#include "strings_table.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QKeyEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

// The printer's context on the preview's painter: the view prints a page
// onto the window as it would onto paper, in the printer's pixels.
class PreviewDC : public CDC {
public:
    PreviewDC(QPrinter* pPrinter, QPainter* pPainter)
    {
        CreatePrinterDC(pPrinter, TRUE);
        m_pPainter = pPainter;
    }
    ~PreviewDC() override { m_pPainter = nullptr; }  // the window's painter, not ours
};

// While the preview shows, its own keys are the frame's accelerators: they
// run the preview's commands, and the frame's table is set aside.
class PreviewKeys : public QObject {
public:
    PreviewKeys(CFrameWnd* pFrame, QWidget* pContainer)
        : QObject(pContainer), m_pFrame(pFrame), m_pWindow(pContainer->window())
    {
        // Installed after the frame's own filter, so it sees the keys first.
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* pObject, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress || !pObject->isWidgetType()
            || static_cast<QWidget*>(pObject)->window() != m_pWindow
            || QApplication::activePopupWidget() != nullptr)
            return false;
        const auto& key = *static_cast<QKeyEvent*>(e);
        const UINT nID = AfxTranslateAccelerator(AfxLoadAccelerators(AFX_IDR_PREVIEW_ACCEL), key);
        if (nID != 0) {
            AfxPostCommand(m_pFrame, nID);
            return true;
        }
        return AfxTranslateAccelerator(AfxLoadAccelerators(m_pFrame->GetResourceID()), key) != 0;
    }

private:
    CFrameWnd* m_pFrame;
    QWidget* m_pWindow;
};

// The close button's prompt while the pointer rests on it, then the page
// indicator again.
class PreviewClosePrompt : public QObject {
public:
    PreviewClosePrompt(CPreviewView* pPreview, QWidget* pButton)
        : QObject(pButton), m_pPreview(pPreview)
    {
        pButton->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Enter) {
            std::string prompt;
            AfxExtractSubString(prompt, AfxLoadString(AFX_IDS_PREVIEW_CLOSE), 0);
            m_pPreview->m_pFrame->SetMessageText(prompt.c_str());
        } else if (e->type() == QEvent::Leave) {
            m_pPreview->UpdateControls();
        }
        return false;
    }

private:
    CPreviewView* m_pPreview;
};

IMPLEMENT_DYNAMIC(CPreviewView, CView)

CPreviewView::CPreviewView() = default;

CPreviewView::~CPreviewView()
{
    m_pDocument = nullptr;  // never in the document's list of views
}

CPreviewView* CPreviewView::GetPreview(CFrameWnd* pFrame)
{
    if (pFrame == nullptr)
        return nullptr;
    auto* pPreview = dynamic_cast<CPreviewView*>(pFrame->GetActiveView());
    return pPreview != nullptr && !pPreview->m_bClosed ? pPreview : nullptr;
}

void CPreviewView::CloseIn(CFrameWnd* pFrame)
{
    if (CPreviewView* pPreview = GetPreview(pFrame))
        pPreview->Close();
}

BOOL CPreviewView::Open(CView* pPrintView)
{
    CFrameWnd* pFrame = AfxGetParentFrame(pPrintView);
    QMainWindow* pWindow = pFrame != nullptr ? pFrame->GetMainWindow() : nullptr;
    if (pWindow == nullptr || GetPreview(pFrame) != nullptr
        || pWindow->centralWidget() != pPrintView->GetWidget())
        return FALSE;

    auto* pPreview = new CPreviewView;
    pPreview->m_pFrame = pFrame;
    pPreview->m_pPrintView = pPrintView;
    pPreview->m_pDocument = pPrintView->GetDocument();
    // One or two pages, as the user left it last time.
    CWinApp* pApp = AfxGetApp();
    pPreview->m_nPages = pApp != nullptr && pApp->GetPreviewPages() == 2 ? 2 : 1;

    // The view steps out of the frame untouched: text, selection, undo and
    // modified flag stay with its widget.
    pPreview->m_pViewWidget = pWindow->takeCentralWidget();
    RECT rect;
    if (!pPreview->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, pFrame, AFX_IDW_PANE_FIRST,
                          nullptr)) {
        pWindow->setCentralWidget(pPreview->m_pViewWidget);
        pPreview->m_pViewWidget->show();
        delete pPreview;
        return FALSE;
    }
    pWindow->setCentralWidget(pPreview->GetWidget());

    // No tool bars while the preview shows.
    for (QToolBar* pBar : pWindow->findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (pBar->isVisible()) {
            pBar->hide();
            pPreview->m_hiddenBars.append(pBar);
        }
    }

    pFrame->SetActiveView(pPreview, FALSE);
    pPreview->PreparePages();
    pPreview->SetNumPages(pPreview->m_nPages);
    pPreview->m_pPages->setFocus();
    pPreview->UpdateControls();
    return TRUE;
}

QWidget* CPreviewView::CreateWidget(const CREATESTRUCT&, QWidget* pParent)
{
    auto* pContainer = new QWidget(pParent);
    pContainer->setObjectName(QStringLiteral("AfxPreviewView"));
    {
        std::string name;
        AfxExtractSubString(name, AfxLoadString(ID_FILE_PRINT_PREVIEW), 1);
        pContainer->setAccessibleName(QString::fromStdString(name));
    }
    auto* pLayout = new QVBoxLayout(pContainer);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);

    // The bar, its buttons where the template puts them.
    m_pBar = new QWidget(pContainer);
    m_pBar->setObjectName(QStringLiteral("AfxPreviewBar"));
    AfxCreatePrintTemplateControls(AFX_IDD_PREVIEW_TOOLBAR, m_pBar);
    m_pBar->setFixedHeight(m_pBar->property("templateSize").toSize().height());
    for (QPushButton* pButton : m_pBar->findChildren<QPushButton*>()) {
        pButton->setFocusPolicy(Qt::NoFocus);
        const UINT nID = pButton->objectName().toUInt();
        QObject::connect(pButton, &QPushButton::clicked, pButton, [this, nID] { PostCommand(nID); });
    }
    // The close button's prompt is the one the window's close has meanwhile.
    if (QPushButton* pClose = GetButton(AFX_ID_PREVIEW_CLOSE)) {
        std::string tip;
        AfxExtractSubString(tip, AfxLoadString(AFX_IDS_PREVIEW_CLOSE), 1);
        pClose->setToolTip(QString::fromStdString(tip));
        new PreviewClosePrompt(this, pClose);
    }
    pLayout->addWidget(m_pBar);

    m_pPages = new AfxPreviewPages(pContainer);
    m_pPages->setObjectName(QStringLiteral("AfxPreviewPages"));
    m_pPages->SetMagnifier(AfxLoadCursorResource(AFX_IDC_MAGNIFY));
    m_pPages->SetDrawPage([this](QPainter& painter, unsigned nPage) { DrawPage(painter, nPage); });
    QObject::connect(m_pPages, &AfxPreviewPages::currentPageChanged, m_pPages,
                     [this] { UpdateControls(); });
    QObject::connect(m_pPages, &AfxPreviewPages::pageClicked, m_pPages,
                     [this](unsigned nPage, QPointF fraction) { OnPageClicked(nPage, fraction); });
    pLayout->addWidget(m_pPages, 1);

    m_pKeys = new PreviewKeys(m_pFrame, pContainer);
    return pContainer;
}

void CPreviewView::PostCommand(UINT nID)
{
    AfxPostCommand(m_pFrame, nID);
}

void CPreviewView::PreparePages()
{
    CView* pView = m_pPrintView;
    if (pView == nullptr || m_pPages == nullptr)
        return;
    EndPages();
    QPrinter& printer = AfxGetPrinter();
    m_pInfo = std::make_unique<CPrintInfo>();
    m_pInfo->m_bPreview = TRUE;
    m_pInfo->m_pPrinter = &printer;
    m_pInfo->m_nNumPreviewPages = m_nPages;
    m_layout = printer.pageLayout();
    UINT nPages = 1;
    if (pView->OnPreparePrinting(m_pInfo.get())) {
        CDC dc;
        dc.CreatePrinterDC(&printer, TRUE);
        pView->OnBeginPrinting(&dc, m_pInfo.get());
        // A view that does not count its pages says at which one it stops.
        nPages = m_pInfo->GetMaxPage();
        if (nPages == 0xFFFF) {
            for (m_pInfo->m_nCurPage = m_pInfo->GetMinPage(); m_pInfo->m_nCurPage < 0xFFFF;
                 ++m_pInfo->m_nCurPage) {
                m_pInfo->m_bContinuePrinting = TRUE;
                pView->OnPrepareDC(&dc, m_pInfo.get());
                if (!m_pInfo->m_bContinuePrinting)
                    break;
            }
            nPages = std::max(1u, m_pInfo->m_nCurPage - 1);
        }
    } else {
        m_pInfo.reset();
    }
    m_pPages->SetPaper(printer.paperRect(QPrinter::DevicePixel).size(),
                       printer.pageRect(QPrinter::DevicePixel), printer.resolution());
    m_pPages->SetPageCount(nPages);
}

void CPreviewView::EndPages()
{
    if (m_pInfo == nullptr)
        return;
    if (m_pPrintView != nullptr) {
        CDC dc;
        dc.CreatePrinterDC(m_pInfo->m_pPrinter, TRUE);
        m_pPrintView->OnEndPrinting(&dc, m_pInfo.get());
    }
    m_pInfo.reset();
}

void CPreviewView::DrawPage(QPainter& painter, UINT nPage)
{
    // Print Setup changed the paper meanwhile: the pages are laid out anew
    // and drawn once that is done.
    if (!(AfxGetPrinter().pageLayout() == m_layout)) {
        QMetaObject::invokeMethod(
            m_pPages,
            [this] {
                if (!m_bClosed) {
                    PreparePages();
                    UpdateControls();
                }
            },
            Qt::QueuedConnection);
        m_layout = AfxGetPrinter().pageLayout();
        return;
    }
    if (m_pInfo == nullptr || m_pPrintView == nullptr)
        return;
    PreviewDC dc(m_pInfo->m_pPrinter, &painter);
    m_pInfo->m_nCurPage = nPage;
    m_pInfo->m_bContinuePrinting = TRUE;
    m_pPrintView->OnPrepareDC(&dc, m_pInfo.get());
    if (!m_pInfo->m_bContinuePrinting)
        return;
    m_pInfo->m_rectDraw = {0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES)};
    m_pPrintView->OnPrint(&dc, m_pInfo.get());
}

void CPreviewView::OnDraw(CDC*) {}

void CPreviewView::Close()
{

    if (m_bClosed)
        return;
    m_bClosed = true;
    if (m_pKeys != nullptr)
        qApp->removeEventFilter(m_pKeys);
    if (CWinApp* pApp = AfxGetApp())
        pApp->SetPreviewPages(m_nPages);
    QMainWindow* pWindow = m_pFrame->GetMainWindow();
    if (pWindow != nullptr) {
        pWindow->takeCentralWidget();
        if (m_pViewWidget) {
            pWindow->setCentralWidget(m_pViewWidget);
            m_pViewWidget->show();
        }
        for (const QPointer<QToolBar>& pBar : m_hiddenBars) {
            if (pBar)
                pBar->show();
        }
    }
    m_pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    m_pFrame->SetActiveView(m_pPrintView, FALSE);
    if (m_pPrintView != nullptr)
        m_pPrintView->SetFocus();
    m_pDocument = nullptr;
    // This object may be in the middle of routing the command that closed
    // it; it goes once that is over.
    QWidget* pWidget = GetWidget();
    EndPages();
    m_pBar = nullptr;
    m_pPages = nullptr;
    if (pWidget != nullptr) {
        pWidget->hide();
        pWidget->deleteLater();  // OnWidgetDestroyed deletes this
    } else {
        delete this;
    }
}

void CPreviewView::OnWidgetDestroyed()
{
    // Gone with the frame, or after Close: either way this goes too.
    m_pDocument = nullptr;
    m_bClosed = true;
    CPreviewView* self = this;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self] { delete self; }, Qt::QueuedConnection);
}
