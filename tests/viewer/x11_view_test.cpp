// The viewer's view on a real X server (an Xvfb of its own, xclip as the
// other program): a middle click pastes the X selection through the
// paste's conversion, a drop from another program converts the bytes it
// dragged, and a pasted text that needed no putting back stays with its
// owner, also once the viewer has ended. Skipped where Xvfb or
// xclip is missing.
#include "test_home.h"
#include "view_test_main.h"
#include "x11_offer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

namespace {

using viewtest::Hex;
using viewtest::Window;
using x11test::Offer;
using x11test::ReadSelection;
using x11test::RunToEnd;

// "日本語です" in each encoding.
const QByteArray kEuc("\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xC7\xA4\xB9");
const QByteArray kSjis("\x93\xFA\x96\x7B\x8C\xEA\x82\xC5\x82\xB7");
const QByteArray kUtf8 = QStringLiteral("日本語です").toUtf8();

const char kPasteChild[] = "--paste-and-exit";
const char kDragSource[] = "--own-drag-selection";

// Until the events of the server so far have been seen here.
void Settle(int ms = 200)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(X11View, AMiddleClickPastesTheXSelection)
{
    struct Row {
        const char* target;
        QByteArray offered;
        const char* why;
    };
    const Row rows[] = {
        {"UTF8_STRING", kUtf8, "UTF-8 text"},
        {"UTF8_STRING", kEuc, "EUC-JP bytes said to be UTF-8"},
        {"STRING", kEuc, "EUC-JP bytes as STRING"},
        {"text/plain;charset=Shift_JIS", kSjis, "Shift_JIS by name"},
    };
    Offer clipboard(QStringLiteral("UTF8_STRING"), "clip");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Offer primary(QLatin1String(row.target), row.offered, "primary");
        Window w = Window::Make(true);
        w.ShowAndPaint();
        Settle();
        auto* edit = static_cast<QPlainTextEdit*>(w.Widget());
        QTest::mouseClick(edit->viewport(), Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
        EXPECT_EQ(Hex(w.Text()), Hex(kSjis)) << "the selection, not the clipboard";
        EXPECT_TRUE(w.doc->IsModified());
        EXPECT_EQ(ReadSelection(QStringLiteral("UTF8_STRING")), "clip") << "the clipboard untouched";
        EXPECT_EQ(ReadSelection(QLatin1String(row.target), "primary"), row.offered)
            << "the selection stays its owner's";
    }
}

// The viewer in a process of its own pastes the clipboard and ends; what it
// inserted comes back on its standard output.
QByteArray PasteInAnotherProcess()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kPasteChild)});
    return RunToEnd(child).trimmed();
}

TEST(X11View, APastedTextStaysWithItsOwnerAfterTheViewerEnds)
{
    struct Row {
        QString text;
        QByteArray inserted;
        const char* why;
    };
    const Row rows[] = {
        {QStringLiteral("日本語です"), kSjis, "plain Japanese"},
        {QStringLiteral("日本語です\n"), kSjis + "\r\n", "with a bare LF"},
        {QStringLiteral("Price €100, 한국어, 😀"), "Price ?100, ???, ?", "characters the code page lacks"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QByteArray offered = row.text.toUtf8();
        Offer clipboard(QStringLiteral("UTF8_STRING"), offered);
        EXPECT_EQ(PasteInAnotherProcess(), QByteArray::fromStdString(Hex(row.inserted)).trimmed());
        EXPECT_EQ(ReadSelection(QStringLiteral("UTF8_STRING")), offered)
            << "still offered by the program that copied it";
    }
}

// Another program's drag: it owns the drag's selection and gives its text
// under one target, as the bytes it holds, until stopped.
class DragSource {
public:
    DragSource(const char* target, const QByteArray& bytes)
    {
        m_p.start(QCoreApplication::applicationFilePath(),
                  {QLatin1String(kDragSource), QLatin1String(target), QString::fromLatin1(bytes.toHex())});
        m_p.waitForStarted();
        m_p.waitForReadyRead(5000);  // "owned"
    }
    ~DragSource()
    {
        m_p.kill();
        m_p.waitForFinished();
    }

private:
    QProcess m_p;
};

// Drags data over the view and drops it there, as a drop from another
// program arrives (no source in this program).
void Drop(const Window& w, const QMimeData& dropped)
{
    auto* edit = static_cast<QPlainTextEdit*>(w.Widget());
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &drop);
}

// Qt hands a dragged UTF8_STRING or STRING over decoded; the bytes the
// dragging program holds are what the drop converts.
TEST(X11View, ADropFromAnotherProgramConvertsItsBytes)
{
    struct Row {
        const char* target;
        QByteArray bytes;
        QString decoded;  // what Qt made of them
        const char* why;
    };
    const Row rows[] = {
        {"UTF8_STRING", kEuc, QString::fromUtf8(kEuc), "EUC-JP bytes said to be UTF-8"},
        {"STRING", kEuc, QString::fromLatin1(kEuc), "EUC-JP bytes as STRING"},
        {"UTF8_STRING", kUtf8, QString::fromUtf8(kUtf8), "UTF-8 text"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        DragSource source(row.target, row.bytes);
        Window w = Window::Make(true);
        w.ShowAndPaint();
        QMimeData dropped;
        dropped.setText(row.decoded);
        Drop(w, dropped);
        EXPECT_EQ(Hex(w.Text()), Hex(kSjis));
    }
    // With no program behind the drop, what Qt made of it is pasted.
    Window w = Window::Make(true);
    w.ShowAndPaint();
    QMimeData dropped;
    dropped.setText(QStringLiteral("日本語です"));
    Drop(w, dropped);
    EXPECT_EQ(Hex(w.Text()), Hex(kSjis)) << "no owner";
}

// The drag's selection owned until killed, answering TARGETS and target.
int OwnDragSelection(const char* target, const QByteArray& bytes)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0)
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r != nullptr ? r->atom : XCB_NONE;
        std::free(r);
        return a;
    };
    const xcb_atom_t selection = atom("XdndSelection");
    const xcb_atom_t targets = atom("TARGETS");
    const xcb_atom_t text = atom(target);
    xcb_set_selection_owner(c, window, selection, XCB_CURRENT_TIME);
    xcb_flush(c);
    std::cout << "owned" << std::endl;
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        if ((e->response_type & 0x7F) == XCB_SELECTION_REQUEST) {
            const auto* r = reinterpret_cast<const xcb_selection_request_event_t*>(e);
            xcb_selection_notify_event_t n{};
            n.response_type = XCB_SELECTION_NOTIFY;
            n.time = r->time;
            n.requestor = r->requestor;
            n.selection = r->selection;
            n.target = r->target;
            n.property = r->property;
            if (r->target == targets) {
                const xcb_atom_t list[] = {targets, text};
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, r->requestor, r->property, XCB_ATOM_ATOM, 32, 2,
                                    list);
            } else if (r->target == text) {
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, r->requestor, r->property, text, 8,
                                    static_cast<std::uint32_t>(bytes.size()), bytes.constData());
            } else {
                n.property = XCB_NONE;
            }
            xcb_send_event(c, 0, r->requestor, 0, reinterpret_cast<const char*>(&n));
            xcb_flush(c);
        }
        std::free(e);
    }
    xcb_disconnect(c);
    return 0;
}

int PasteAndExit(int argc, char** argv)
{
    IsolateHome();
    QApplication app(argc, argv);
    Window w = Window::Make(true);
    w.ShowAndPaint();
    Settle();
    w.view->HandleCommand(ID_EDIT_PASTE);
    std::printf("%s\n", Hex(w.Text()).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
        std::puts("Xvfb or xclip missing: skipped");
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == kPasteChild)
        return PasteAndExit(argc, argv);
    if (argc > 3 && std::string(argv[1]) == kDragSource)
        return OwnDragSelection(argv[2], QByteArray::fromHex(argv[3]));
    ::testing::InitGoogleTest(&argc, argv);
    IsolateHome();

    // A display of its own, on the first free number from 120.
    x11test::Xvfb xvfb(120, "800x600x24");
    if (!xvfb.Ok())
        return 1;

    int result = 1;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
