// Print preview inside the frame, and CView's Print Preview command (see preview.h).
#include "preview.h"

#include "app.h"
#include "document.h"
#include "dc.h"
#include "frame.h"
#include "printdlgs.h"
#include "accelerators.h"
#include "printing.h"
#include "resources.h"
#include "strings_table.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGraphicsView>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QKeyEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

// The "Settings" value that remembers one or two pages.
QSettings* PreviewSettings()
{
    CWinApp* pApp = AfxGetApp();
    const QString app = QString::fromUtf8(pApp != nullptr && pApp->m_pszAppName != nullptr
                                              ? pApp->m_pszAppName
                                              : "");
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                         QStringLiteral("Local AppWizard-Generated Applications"), app);
}

const QString kPreviewPagesKey = QStringLiteral("Settings/PreviewPages");

}  // namespace

// Over a page the magnifier shows while the page can be zoomed in; a click
// there zooms in, and at the largest size back to the whole page.
class PreviewMouse : public QObject {
public:
    PreviewMouse(CPreviewView* pPreview, QGraphicsView* pView)
        : QObject(pView), m_pPreview(pPreview), m_pView(pView), m_magnifier(AfxLoadCursorResource(AFX_IDC_MAGNIFY))
    {
        pView->viewport()->setMouseTracking(true);
        pView->viewport()->installEventFilter(this);
    }

    bool OverPage(const QPoint& pos) const { return m_pView->itemAt(pos) != nullptr; }

    void UpdateCursor(const QPoint& pos)
    {
        if (OverPage(pos) && m_pPreview->GetZoomState() != CPreviewView::kZoomIn)
            m_pView->viewport()->setCursor(m_magnifier);
        else
            m_pView->viewport()->unsetCursor();
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::MouseMove) {
            UpdateCursor(static_cast<QMouseEvent*>(e)->position().toPoint());
        } else if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && OverPage(me->position().toPoint())) {
                m_pPreview->SetZoom(m_pPreview->GetZoomState() == CPreviewView::kZoomIn
                                        ? CPreviewView::kZoomOut
                                        : m_pPreview->GetZoomState() + 1);
                UpdateCursor(me->position().toPoint());
                return true;
            }
        }
        return false;
    }

private:
    CPreviewView* m_pPreview;
    QGraphicsView* m_pView;
    QCursor m_magnifier;
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

BEGIN_MESSAGE_MAP(CPreviewView, CView)
    ON_COMMAND(AFX_ID_PREVIEW_CLOSE, OnPreviewClose)
    ON_COMMAND(AFX_ID_PREVIEW_PRINT, OnPreviewPrint)
    ON_COMMAND(ID_FILE_PRINT, OnPreviewPrint)
    ON_COMMAND(AFX_ID_PREVIEW_NEXT, OnNextPage)
    ON_COMMAND(AFX_ID_PREVIEW_PREV, OnPrevPage)
    ON_COMMAND(AFX_ID_PREVIEW_NUMPAGE, OnNumPageChange)
    ON_COMMAND(AFX_ID_PREVIEW_ZOOMIN, OnZoomIn)
    ON_COMMAND(AFX_ID_PREVIEW_ZOOMOUT, OnZoomOut)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_NEXT, OnUpdateNextPage)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_PREV, OnUpdatePrevPage)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_NUMPAGE, OnUpdateNumPageChange)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_ZOOMIN, OnUpdateZoomIn)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_ZOOMOUT, OnUpdateZoomOut)
END_MESSAGE_MAP()

CPreviewView::CPreviewView() = default;

CPreviewView::~CPreviewView()
{
    m_pDocument = nullptr;  // never in the document's list of views
}

void CView::OnFilePrintPreview()
{
    CPreviewView::Open(this);
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
    {
        std::unique_ptr<QSettings> settings(PreviewSettings());
        pPreview->m_nPages = settings->value(kPreviewPagesKey, 0).toInt() == 2 ? 2 : 1;
    }

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
    pPreview->SetNumPages(pPreview->m_nPages);
    pPreview->m_pPreview->setFocus();
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

    m_pPreview = new QPrintPreviewWidget(&AfxGetPrinter(), pContainer);
    m_pPreview->setObjectName(QStringLiteral("AfxPreviewPages"));
    QObject::connect(m_pPreview, &QPrintPreviewWidget::paintRequested, m_pPreview,
                     [this](QPrinter* pPrinter) { RenderPages(pPrinter); });
    QObject::connect(m_pPreview, &QPrintPreviewWidget::previewChanged, m_pPreview,
                     [this] { UpdateControls(); });
    if (auto* pView = m_pPreview->findChild<QGraphicsView*>()) {
        new PreviewMouse(this, pView);
        QObject::connect(pView->verticalScrollBar(), &QScrollBar::valueChanged, m_pPreview,
                         [this] { UpdateControls(); });
    }
    pLayout->addWidget(m_pPreview, 1);

    m_pKeys = new PreviewKeys(m_pFrame, pContainer);
    return pContainer;
}

void CPreviewView::PostCommand(UINT nID)
{
    AfxPostCommand(m_pFrame, nID);
}

void CPreviewView::RenderPages(QPrinter* pPrinter)
{
    CView* pView = m_pPrintView;
    if (pView == nullptr)
        return;
    CPrintInfo info;
    info.m_bPreview = TRUE;
    info.m_pPrinter = pPrinter;
    info.m_nNumPreviewPages = m_nPages;
    if (!pView->OnPreparePrinting(&info))
        return;
    CDC dc;
    dc.CreatePrinterDC(pPrinter, TRUE);
    pView->OnBeginPrinting(&dc, &info);
    if (dc.StartDoc(nullptr) != SP_ERROR) {
        for (info.m_nCurPage = info.GetMinPage(); info.m_nCurPage <= info.GetMaxPage();
             ++info.m_nCurPage) {
            pView->OnPrepareDC(&dc, &info);
            if (!info.m_bContinuePrinting)
                break;
            info.m_rectDraw = {0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES)};
            dc.StartPage();
            pView->OnPrint(&dc, &info);
            dc.EndPage();
        }
        dc.EndDoc();
    }
    pView->OnEndPrinting(&dc, &info);
}

void CPreviewView::OnDraw(CDC*) {}

BOOL CPreviewView::OnCmdMsg(UINT nID, int nCode, void* pExtra)
{
    // What replaces the document's text ends the preview first (when it
    // runs, not when the frame only asks whether it has a handler).
    if (nCode == CN_COMMAND && pExtra == nullptr && !m_bClosed
        && (nID == ID_FILE_NEW || nID == ID_FILE_OPEN
            || (nID >= ID_FILE_MRU_FILE1 && nID <= ID_FILE_MRU_FILE16))) {
        Close();
        return FALSE;
    }
    return CView::OnCmdMsg(nID, nCode, pExtra);
}

QPushButton* CPreviewView::GetButton(UINT nID) const
{
    return m_pBar != nullptr ? m_pBar->findChild<QPushButton*>(QString::number(nID)) : nullptr;
}

UINT CPreviewView::GetCurrentPage() const
{
    return m_pPreview != nullptr ? static_cast<UINT>(std::max(1, m_pPreview->currentPage())) : 1;
}

UINT CPreviewView::GetPageCount() const
{
    return m_pPreview != nullptr ? static_cast<UINT>(std::max(1, m_pPreview->pageCount())) : 1;
}

// Two pages side by side go as a book's: the first alone, then 2 and 3,
// 4 and 5, and so on.
namespace {
UINT FirstOfPair(UINT nPage)
{
    return nPage <= 1 ? 1 : (nPage % 2 == 0 ? nPage : nPage - 1);
}
}  // namespace

QString CPreviewView::GetPageDescription() const
{
    const std::string full = AfxLoadString(AFX_IDS_PREVIEWPAGEDESC);
    std::string one;
    std::string two;
    AfxExtractSubString(one, full, 0);
    AfxExtractSubString(two, full, 1);
    const UINT page = GetCurrentPage();
    QString text;
    if (m_nPages == 2 && m_nZoomState == kZoomOut) {
        const UINT first = FirstOfPair(page);
        const UINT last = first == 1 ? 1 : std::min(first + 1, GetPageCount());
        if (last > first) {
            text = QString::fromStdString(two);
            text.replace(text.indexOf(QLatin1String("%u")), 2, QString::number(first));
            text.replace(text.indexOf(QLatin1String("%u")), 2, QString::number(last));
            return text;
        }
        text = QString::fromStdString(one);
        return text.replace(QLatin1String("%u"), QString::number(first));
    }
    text = QString::fromStdString(one);
    return text.replace(QLatin1String("%u"), QString::number(page));
}

void CPreviewView::SetCurrentPage(UINT nPage)
{
    nPage = std::clamp(nPage, 1u, GetPageCount());
    m_pPreview->setCurrentPage(static_cast<int>(nPage));
    UpdateControls();
}

void CPreviewView::SetNumPages(UINT nPages)
{
    m_nPages = nPages == 2 ? 2 : 1;
    const UINT page = GetCurrentPage();
    if (m_nPages == 2 && m_nZoomState == kZoomOut)
        m_pPreview->setFacingPagesViewMode();
    else
        m_pPreview->setSinglePageViewMode();
    m_pPreview->fitInView();
    m_pPreview->setCurrentPage(static_cast<int>(page));
    UpdateControls();
}

void CPreviewView::SetZoom(int nState)
{
    const UINT page = GetCurrentPage();
    nState = std::clamp(nState, static_cast<int>(kZoomOut), static_cast<int>(kZoomIn));
    m_nZoomState = nState;
    if (nState == kZoomOut) {
        SetNumPages(m_nPages);
        return;
    }
    // Zoomed, one page at a time: halfway to its real size, then real size.
    m_pPreview->setSinglePageViewMode();
    m_pPreview->fitInView();
    const qreal fit = m_pPreview->zoomFactor();
    const qreal full = std::max(1.0, fit * 2);
    m_pPreview->setZoomFactor(nState == kZoomIn ? full : (fit + full) / 2);
    m_pPreview->setCurrentPage(static_cast<int>(page));
    UpdateControls();
}

void CPreviewView::UpdateControls()
{
    if (m_bClosed || m_pFrame == nullptr)
        return;
    if (QPushButton* pNum = GetButton(AFX_ID_PREVIEW_NUMPAGE)) {
        const QString text =
            QString::fromStdString(AfxLoadString(m_nPages == 1 ? AFX_IDS_TWOPAGE : AFX_IDS_ONEPAGE));
        pNum->setText(text);
        pNum->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    }
    if (m_pBar != nullptr) {
        for (QPushButton* pButton : m_pBar->findChildren<QPushButton*>())
            pButton->setEnabled(m_pFrame->IsCommandEnabled(pButton->objectName().toUInt()));
    }
    m_pFrame->SetMessageText(GetPageDescription().toUtf8().constData());
}

void CPreviewView::Close()
{

    if (m_bClosed)
        return;
    m_bClosed = true;
    if (m_pKeys != nullptr)
        qApp->removeEventFilter(m_pKeys);
    {
        std::unique_ptr<QSettings> settings(PreviewSettings());
        settings->setValue(kPreviewPagesKey, static_cast<int>(m_nPages));
    }
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
    m_pBar = nullptr;
    m_pPreview = nullptr;
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

void CPreviewView::OnPreviewClose()
{

    Close();
}

void CPreviewView::OnPreviewPrint()
{
    CFrameWnd* pFrame = m_pFrame;
    Close();
    pFrame->OnCommand(ID_FILE_PRINT);
}

void CPreviewView::OnNextPage()
{
    if (m_nPages == 2 && m_nZoomState == kZoomOut) {
        const UINT first = FirstOfPair(GetCurrentPage());
        SetCurrentPage(first == 1 ? 2 : first + 2);
    } else {
        SetCurrentPage(GetCurrentPage() + 1);
    }
}

void CPreviewView::OnPrevPage()
{
    if (m_nPages == 2 && m_nZoomState == kZoomOut) {
        const UINT first = FirstOfPair(GetCurrentPage());
        SetCurrentPage(first <= 2 ? 1 : first - 2);
    } else {
        SetCurrentPage(GetCurrentPage() - 1);
    }
}

void CPreviewView::OnNumPageChange()
{
    SetNumPages(m_nPages == 1 ? 2 : 1);
}

void CPreviewView::OnZoomIn()
{
    SetZoom(m_nZoomState + 1);
}

void CPreviewView::OnZoomOut()
{
    SetZoom(m_nZoomState - 1);
}

void CPreviewView::OnUpdateNextPage(CCmdUI* pCmdUI)
{
    UINT last = GetCurrentPage();
    if (m_nPages == 2 && m_nZoomState == kZoomOut) {
        const UINT first = FirstOfPair(last);
        last = first == 1 ? 1 : first + 1;
    }
    pCmdUI->Enable(last < GetPageCount());
}

void CPreviewView::OnUpdatePrevPage(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetCurrentPage() > 1);
}

void CPreviewView::OnUpdateNumPageChange(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoomState == kZoomOut);
}

void CPreviewView::OnUpdateZoomIn(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoomState != kZoomIn);
}

void CPreviewView::OnUpdateZoomOut(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoomState != kZoomOut);
}
