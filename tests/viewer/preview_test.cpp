// Print preview inside the frame: its bar, keys and page indicator, one and
// two pages, zoom and the magnifier, the remembered page count, printing
// from it, and the view as it was once it closes.
#include "doc_fixture.h"
#include "print_support.h"

#include "app.h"
#include "document.h"
#include "editview.h"
#include "frame.h"
#include "preview.h"
#include "previewpages.h"
#include "printdlgs.h"
#include "printing.h"
#include "shellchannel.h"
#include "statusbar.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QUrl>

#include <cstdio>
#include <functional>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace doctest;
using namespace printtest;


namespace {

QSettings Settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("ruvok"));
}

// Lets queued commands run and closed windows go.
void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

std::string ManyLines(int n)
{
    std::string s;
    for (int i = 1; i <= n; ++i)
        s += "\x83\x65\x83\x4c\x83\x58\x83\x67 line " + std::to_string(i) + "\r\n";
    return s;
}

class PreviewTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        window = Frame()->GetMainWindow();
        window->resize(800, 600);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        View()->GetWidget()->repaint();
        Settings().setValue(QStringLiteral("Settings/PreviewPages"), 0);
        pdf = dir.File("out.pdf");
        fixtureHook = AfxSetPrintDialogHook(nullptr);
        AnswerPrintDialogs(pdf);
        AfxGetPrinter().setPageOrientation(QPageLayout::Portrait);
    }
    void TearDown() override
    {
        if (CPreviewView* p = Preview())
            p->Close();
        Settle();
        AfxSetPrintDialogHook(fixtureHook);
        DocTest::TearDown();
    }

    CPreviewView* Preview() { return CPreviewView::GetPreview(Frame()); }

    CPreviewView* Open()
    {
        // A job's progress box may have taken the activation with it.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        EXPECT_TRUE(Frame()->OnCommand(ID_FILE_PRINT_PREVIEW));
        Settle();
        return Preview();
    }

    void Click(UINT nID)
    {
        QPushButton* b = Preview()->GetButton(nID);
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
        Settle();
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : window, key, mods);
        Settle();
    }

    // The status bar's message pane.
    QString Indicator()
    {
        auto* bar = dynamic_cast<CStatusBar*>(Frame()->GetControlBar(AFX_IDW_STATUS_BAR));
        return bar != nullptr ? QString::fromStdString(bar->GetPaneText(bar->CommandToIndex(ID_SEPARATOR)))
                              : QString();
    }
    bool Enabled(UINT nID) { return Preview()->GetButton(nID)->isEnabled(); }

    QMainWindow* window = nullptr;
    TempDir dir;
    std::string pdf;
    AfxPrintDialogHook fixtureHook;
};

TEST_F(PreviewTest, BarHasItsSevenButtonsInOrder)
{
    SetText(ManyLines(10));
    CPreviewView* p = Open();
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(window->centralWidget(), p->GetWidget());
    const struct {
        UINT id;
        const char* text;
    } rows[] = {
        {AFX_ID_PREVIEW_PRINT, "印刷(&P)..."},    {AFX_ID_PREVIEW_NEXT, "次ﾍﾟｰｼﾞ(&N)"},
        {AFX_ID_PREVIEW_PREV, "前ﾍﾟｰｼﾞ(&V)"},     {AFX_ID_PREVIEW_NUMPAGE, "2 ﾍﾟｰｼﾞ(&T)"},
        {AFX_ID_PREVIEW_ZOOMIN, "拡大(&I)"},      {AFX_ID_PREVIEW_ZOOMOUT, "縮小(&O)"},
        {AFX_ID_PREVIEW_CLOSE, "閉じる(&C)"},
    };
    int right = -1;
    QRect first;
    for (const auto& r : rows) {
        QPushButton* b = p->GetButton(r.id);
        ASSERT_NE(b, nullptr) << std::hex << r.id;
        EXPECT_EQ(b->text(), QString::fromUtf8(r.text));
        EXPECT_EQ(b->accessibleName(), QString::fromUtf8(r.text).remove(QLatin1Char('&')));
        const QRect g = b->geometry();
        if (first.isNull())
            first = g;
        EXPECT_GT(g.left(), right) << r.text << ": overlaps the button before";
        EXPECT_EQ(g.size(), first.size()) << r.text;
        EXPECT_EQ(g.top(), first.top()) << r.text;
        EXPECT_TRUE(b->isVisible()) << r.text;
        right = g.right();
    }
    // Gaps of two dialog units, the first button two in.
    EXPECT_GT(first.left(), 0);
    EXPECT_LT(p->GetButton(AFX_ID_PREVIEW_NEXT)->geometry().left() - first.right(), first.width() / 4);
    // The close button's prompt while the preview is open.
    EXPECT_EQ(p->GetButton(AFX_ID_PREVIEW_CLOSE)->toolTip(), QStringLiteral("ﾌﾟﾚﾋﾞｭｰのｷｬﾝｾﾙ"));
    // Shown while the pointer rests there; then the page indicator again.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(p->GetButton(AFX_ID_PREVIEW_CLOSE), &enter);
    EXPECT_EQ(Indicator(), QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ ﾓｰﾄﾞの終わり"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(p->GetButton(AFX_ID_PREVIEW_CLOSE), &leave);
    EXPECT_EQ(Indicator(), QStringLiteral("ﾍﾟｰｼﾞ 1"));
    EXPECT_EQ(p->GetWidget()->accessibleName(), QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
}

TEST_F(PreviewTest, PagesAsPrintedTurnedByKeysAndButtons)
{
    SetText(ManyLines(400));
    ASSERT_TRUE(View()->RunPrintJob(FALSE));
    const int printed = PageCount(pdf);
    ASSERT_GE(printed, 4);

    CPreviewView* p = Open();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(static_cast<int>(p->GetPageCount()), printed) << "the preview shows what prints";
    EXPECT_EQ(Indicator(), QStringLiteral("ﾍﾟｰｼﾞ 1"));
    EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_PREV));
    EXPECT_TRUE(Enabled(AFX_ID_PREVIEW_NEXT));

    struct Step {
        const char* what;
        std::function<void()> act;
        UINT page;
    } steps[] = {
        {"Page Down", [&] { Key(Qt::Key_PageDown); }, 2},
        {"Page Down", [&] { Key(Qt::Key_PageDown); }, 3},
        {"Page Up", [&] { Key(Qt::Key_PageUp); }, 2},
        {"next button", [&] { Click(AFX_ID_PREVIEW_NEXT); }, 3},
        {"previous button", [&] { Click(AFX_ID_PREVIEW_PREV); }, 2},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(p->GetCurrentPage(), s.page) << s.what;
        EXPECT_EQ(Indicator(), QStringLiteral("ﾍﾟｰｼﾞ %1").arg(s.page)) << s.what;
    }
    for (int i = 0; i < printed + 2; ++i)
        Key(Qt::Key_PageDown);
    EXPECT_EQ(static_cast<int>(p->GetCurrentPage()), printed) << "past the last page";
    EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_NEXT));
    EXPECT_TRUE(Enabled(AFX_ID_PREVIEW_PREV));
}

// Two pages are pages n and n+1 side by side, fitted to the window, in
// either orientation; the keys turn one page at a time.
TEST_F(PreviewTest, TwoPagesSideBySide)
{
    SetText(ManyLines(400));
    for (QPageLayout::Orientation orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        SCOPED_TRACE(orientation == QPageLayout::Portrait ? "portrait" : "landscape");
        AfxGetPrinter().setPageOrientation(orientation);
        CPreviewView* p = Open();
        ASSERT_NE(p, nullptr);
        AfxPreviewPages* pages = p->GetPagesWidget();
        ASSERT_NE(pages, nullptr);
        ASSERT_GE(p->GetPageCount(), 5u);
        EXPECT_EQ(pages->PageRects().size(), 1);
        Click(AFX_ID_PREVIEW_NUMPAGE);
        EXPECT_EQ(p->GetNumPages(), 2u);
        EXPECT_EQ(p->GetButton(AFX_ID_PREVIEW_NUMPAGE)->text(), QStringLiteral("1 ﾍﾟｰｼﾞ(&O)"));
        const QList<QRect> rects = pages->PageRects();
        ASSERT_EQ(rects.size(), 2) << "two pages, never a grid of more";
        EXPECT_LT(rects[0].right(), rects[1].left()) << "side by side, the first on the left";
        EXPECT_EQ(rects[0].top(), rects[1].top());
        EXPECT_EQ(rects[0].size(), rects[1].size());
        EXPECT_EQ(rects[0].width() > rects[0].height(), orientation == QPageLayout::Landscape);
        const QRect room = pages->viewport()->rect();
        EXPECT_TRUE(room.contains(rects[0]) && room.contains(rects[1])) << "both whole in the window";
        struct Step {
            Qt::Key key;
            const char* indicator;
        } steps[] = {
            {Qt::Key_unknown, "ﾍﾟｰｼﾞ 1-2"}, {Qt::Key_PageDown, "ﾍﾟｰｼﾞ 2-3"},
            {Qt::Key_PageDown, "ﾍﾟｰｼﾞ 3-4"},  {Qt::Key_PageUp, "ﾍﾟｰｼﾞ 2-3"},
        };
        for (const Step& step : steps) {
            if (step.key != Qt::Key_unknown)
                Key(step.key);
            EXPECT_EQ(Indicator(), QString::fromUtf8(step.indicator));
        }
        // To the end: the last pair is the last two pages.
        for (UINT i = 0; i < p->GetPageCount() + 2; ++i)
            Key(Qt::Key_PageDown);
        EXPECT_EQ(p->GetCurrentPage(), p->GetPageCount() - 1);
        EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_NEXT));
        Click(AFX_ID_PREVIEW_NUMPAGE);
        EXPECT_EQ(p->GetNumPages(), 1u);
        EXPECT_EQ(pages->PageRects().size(), 1);
        EXPECT_EQ(p->GetButton(AFX_ID_PREVIEW_NUMPAGE)->text(), QStringLiteral("2 ﾍﾟｰｼﾞ(&T)"));
        EXPECT_EQ(Indicator(), QStringLiteral("ﾍﾟｰｼﾞ %1").arg(p->GetPageCount() - 1));
        EXPECT_TRUE(Enabled(AFX_ID_PREVIEW_NEXT));
        Key(Qt::Key_Escape);
    }
}

// Print Setup while the preview shows: the pages are laid out anew.
TEST_F(PreviewTest, ThePagesFollowThePaperChangedMeanwhile)
{
    SetText(ManyLines(400));
    CPreviewView* p = Open();
    ASSERT_NE(p, nullptr);
    AfxPreviewPages* pages = p->GetPagesWidget();
    const UINT upright = p->GetPageCount();
    QRect page = pages->PageRects().value(0);
    EXPECT_LT(page.width(), page.height());
    AfxGetPrinter().setPageOrientation(QPageLayout::Landscape);
    pages->viewport()->repaint();
    Settle();
    pages->viewport()->repaint();
    page = pages->PageRects().value(0);
    EXPECT_GT(page.width(), page.height());
    EXPECT_GT(p->GetPageCount(), upright) << "fewer lines a page across";
    EXPECT_EQ(Indicator(), QStringLiteral("ﾍﾟｰｼﾞ 1"));
}

TEST_F(PreviewTest, ZoomInAndOutWithTheMagnifierOverThePage)
{
    SetText(ManyLines(100));
    CPreviewView* p = Open();
    ASSERT_NE(p, nullptr);
    AfxPreviewPages* pages = p->GetPagesWidget();
    ASSERT_NE(pages, nullptr);
    QWidget* viewport = pages->viewport();
    const QPoint middle = viewport->rect().center();
    unsigned page = 0;
    QPointF at;
    ASSERT_TRUE(pages->PagePointAt(middle, page, at)) << "no page in the middle";

    struct Row {
        const char* what;
        UINT command;  // 0: a click on the page
        int state;
        bool zoomIn, zoomOut, numPage, magnifier;
    } rows[] = {
        {"at open", ~0u, CPreviewView::kZoomOut, true, false, true, true},
        {"zoom in", AFX_ID_PREVIEW_ZOOMIN, CPreviewView::kZoomMiddle, true, true, false, true},
        {"zoom in again", AFX_ID_PREVIEW_ZOOMIN, CPreviewView::kZoomIn, false, true, false, false},
        {"zoom out", AFX_ID_PREVIEW_ZOOMOUT, CPreviewView::kZoomMiddle, true, true, false, true},
        {"zoom out again", AFX_ID_PREVIEW_ZOOMOUT, CPreviewView::kZoomOut, true, false, true, true},
        {"click on the page", 0, CPreviewView::kZoomMiddle, true, true, false, true},
        {"click again", 0, CPreviewView::kZoomIn, false, true, false, false},
        {"click at the largest", 0, CPreviewView::kZoomOut, true, false, true, true},
    };
    double scale = pages->Scale();
    for (const Row& r : rows) {
        const double before = scale;
        if (r.command == 0)
            QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, middle);
        else if (r.command != ~0u)
            Click(r.command);
        Settle();
        scale = pages->Scale();
        EXPECT_EQ(p->GetZoomState(), r.state) << r.what;
        if (r.command != ~0u) {
            EXPECT_NE(scale, before) << r.what;
        }
        EXPECT_EQ(Enabled(AFX_ID_PREVIEW_ZOOMIN), r.zoomIn) << r.what;
        EXPECT_EQ(Enabled(AFX_ID_PREVIEW_ZOOMOUT), r.zoomOut) << r.what;
        EXPECT_EQ(Enabled(AFX_ID_PREVIEW_NUMPAGE), r.numPage) << r.what;
        QMouseEvent move(QEvent::MouseMove, QPointF(middle), QPointF(viewport->mapToGlobal(middle)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        EXPECT_EQ(viewport->cursor().shape() == Qt::BitmapCursor, r.magnifier) << r.what;
    }
}

// A click zooms in on the point clicked: after it, that point of the page
// is in the middle of the window (as far as the page reaches), on the page
// that was clicked, also the second of two.
TEST_F(PreviewTest, AClickZoomsOnThePointClicked)
{
    SetText(ManyLines(400));
    window->resize(640, 520);
    Settle();
    struct Row {
        const char* what;
        UINT pages;   // shown before the clicks
        int slot;     // which of them is clicked
        QPointF first, second;  // where on the page the two clicks go
    } rows[] = {
        {"one page, lower middle", 1, 0, {0.5, 0.6}, {0.45, 0.7}},
        {"one page, upper left", 1, 0, {0.3, 0.35}, {0.45, 0.3}},
        {"the second of two", 2, 1, {0.5, 0.65}, {0.55, 0.6}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CPreviewView* p = Open();
        ASSERT_NE(p, nullptr);
        if (p->GetNumPages() != r.pages)
            Click(AFX_ID_PREVIEW_NUMPAGE);
        ASSERT_EQ(p->GetNumPages(), r.pages);
        AfxPreviewPages* pages = p->GetPagesWidget();
        QWidget* viewport = pages->viewport();
        const UINT wantedPage = p->GetCurrentPage() + static_cast<UINT>(r.slot);
        for (const QPointF& where : {r.first, r.second}) {
            const QList<QRect> rects = pages->PageRects();
            const QRect& rect = rects[p->GetZoomState() == CPreviewView::kZoomOut ? r.slot : 0];
            const QPoint click(rect.left() + static_cast<int>(where.x() * rect.width()),
                               rect.top() + static_cast<int>(where.y() * rect.height()));
            ASSERT_TRUE(viewport->rect().contains(click)) << "the point to click is not in view";
            unsigned clickedPage = 0;
            QPointF clicked;
            ASSERT_TRUE(pages->PagePointAt(click, clickedPage, clicked));
            QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, click);
            Settle();
            EXPECT_EQ(p->GetCurrentPage(), wantedPage);
            unsigned centrePage = 0;
            QPointF centre;
            ASSERT_TRUE(pages->PagePointAt(viewport->rect().center(), centrePage, centre));
            EXPECT_EQ(centrePage, wantedPage);
            // Along an axis the page overfills, the point clicked is the
            // middle now; along one it fits, the page is in the middle.
            const QRect zoomed = pages->PageRects().value(0);
            const double expect[2] = {
                zoomed.width() > viewport->width() ? clicked.x() : 0.5,
                zoomed.height() > viewport->height() ? clicked.y() : 0.5};
            EXPECT_NEAR(centre.x(), expect[0], 0.02) << "across, zoom " << p->GetZoomState();
            EXPECT_NEAR(centre.y(), expect[1], 0.02) << "down, zoom " << p->GetZoomState();
        }
        EXPECT_EQ(p->GetZoomState(), CPreviewView::kZoomIn);
        Key(Qt::Key_Escape);
    }
}

TEST_F(PreviewTest, KeysAndCommandsAreThePreviewsWhileItShows)
{
    SetText(ManyLines(10));
    ASSERT_NE(Open(), nullptr);
    // The frame asking every command's state (as it does when idle) runs none.
    Frame()->OnIdleUpdateCmdUI();
    Settle();
    ASSERT_NE(Preview(), nullptr) << "the preview closed when its state was asked";
    for (UINT id : {ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO, ID_FILE_PRINT_PREVIEW})
        EXPECT_FALSE(Frame()->IsCommandEnabled(id)) << std::hex << id;
    // Ctrl+P is the frame's; not while the preview shows.
    int asked = 0;
    AfxSetPrintDialogHook([&](QPrinter&, BOOL) {
        ++asked;
        return FALSE;
    });
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(asked, 0);
    EXPECT_NE(Preview(), nullptr);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Preview(), nullptr);
    EXPECT_EQ(Text(), ManyLines(10)) << "a command ran on the way";
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(asked, 1) << "Ctrl+P is back";
}

TEST_F(PreviewTest, ClosingGivesTheViewBackAsItWas)
{
    SetText(ManyLines(50));
    View()->GetEditCtrl().SetSel(12, 40);
    Doc()->SetModifiedFlag(TRUE);
    const DocState before = State();
    QWidget* viewWidget = View()->GetWidget();

    struct Row {
        const char* how;
        std::function<void()> close;
    } rows[] = {
        {"Esc", [&] { Key(Qt::Key_Escape); }},
        {"the close button", [&] { Click(AFX_ID_PREVIEW_CLOSE); }},
    };
    for (const Row& r : rows) {
        ASSERT_NE(Open(), nullptr) << r.how;
        EXPECT_FALSE(viewWidget->isVisible()) << r.how;
        r.close();
        EXPECT_EQ(Preview(), nullptr) << r.how;
        EXPECT_EQ(window->centralWidget(), viewWidget) << r.how;
        EXPECT_TRUE(viewWidget->isVisible()) << r.how;
        EXPECT_EQ(Frame()->GetActiveView(), View()) << r.how;
        EXPECT_EQ(State(), before) << r.how;
        int start = 0, end = 0;
        View()->GetEditCtrl().GetSel(start, end);
        EXPECT_EQ(start, 12) << r.how;
        EXPECT_EQ(end, 40) << r.how;
        EXPECT_TRUE(Frame()->IsCommandEnabled(ID_EDIT_COPY)) << r.how;
        // The message pane is idle again.
        EXPECT_EQ(Indicator(), QStringLiteral("ﾚﾃﾞｨ")) << r.how;
    }
}

TEST_F(PreviewTest, PreviewPagesIsReadAtOpenAndWrittenAtClose)
{
    SetText(ManyLines(400));
    struct Row {
        int stored;
        UINT shown;
        bool toggle;
        int storedAfter;
    } rows[] = {
        {0, 1, false, 1},
        {1, 1, true, 2},
        {2, 2, false, 2},
        {2, 2, true, 1},
    };
    for (const Row& r : rows) {
        Settings().setValue(QStringLiteral("Settings/PreviewPages"), r.stored);
        Settings().sync();
        CPreviewView* p = Open();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->GetNumPages(), r.shown) << "stored " << r.stored;
        if (r.toggle)
            Click(AFX_ID_PREVIEW_NUMPAGE);
        Key(Qt::Key_Escape);
        EXPECT_EQ(Settings().value(QStringLiteral("Settings/PreviewPages")).toInt(), r.storedAfter)
            << "stored " << r.stored;
    }
}

TEST_F(PreviewTest, PrintFromTheBarClosesThePreviewAndPrints)
{
    SetText(ManyLines(10));
    ASSERT_NE(Open(), nullptr);
    Click(AFX_ID_PREVIEW_PRINT);
    EXPECT_EQ(Preview(), nullptr);
    EXPECT_EQ(window->centralWidget(), View()->GetWidget());
    EXPECT_EQ(PageCount(pdf), 1);
}

// Whatever replaces the document's text ends the preview first: the
// commands (File New, File Open, a recent file), a file dropped on the
// window, a file from the shell.
TEST_F(PreviewTest, AnotherTextEndsThePreviewFirst)
{
    const std::string other = dir.File("other.txt");
    WriteFile(other, "other\r\n");
    Frame()->DragAcceptFiles(TRUE);
    const struct {
        const char* how;
        std::function<void()> replace;
        std::string text;
    } rows[] = {
        {"File New", [this] { ASSERT_TRUE(Frame()->OnCommand(ID_FILE_NEW)); }, ""},
        {"File Open",
         [&] {
             GetPrompts().AnswerDialogWith(other);
             ASSERT_TRUE(Frame()->OnCommand(ID_FILE_OPEN));
         },
         "other\r\n"},
        {"a recent file",
         [&] {
             AfxGetApp()->AddToRecentFileList(other.c_str());
             ASSERT_TRUE(Frame()->OnCommand(ID_FILE_MRU_FILE1));
         },
         "other\r\n"},
        {"a file dropped on the window",
         [&] {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
             QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(window, &enter);
             QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(window, &drop);
         },
         "other\r\n"},
        {"a file from the shell",
         [&] {
             // the request a second start sends to this viewer's socket
             const std::string socket = CShellChannel::SocketPath(QStringLiteral("ruvok")).toStdString();
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un addr{};
             addr.sun_family = AF_UNIX;
             std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socket.c_str());
             ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << socket;
             const std::string request =
                 "open " + QByteArray::fromStdString(other).toPercentEncoding().toStdString() + "\n";
             ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL),
                       static_cast<ssize_t>(request.size()));
             Settle();
             ::close(fd);
         },
         "other\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        SetText(ManyLines(10));
        ASSERT_NE(Open(), nullptr);
        row.replace();
        Settle();
        EXPECT_EQ(Preview(), nullptr);
        EXPECT_EQ(window->centralWidget(), View()->GetWidget());
        EXPECT_EQ(Text(), row.text);
    }
}

}  // namespace
