// The viewer's view on a real X server (an Xvfb of its own, xclip as the
// other program): a middle click pastes the X selection through the
// paste's conversion, and a pasted text that needed no putting back stays
// with its owner, also once the viewer has ended. Skipped where Xvfb or
// xclip is missing.
#include "test_home.h"
#include "view_test_main.h"
#include "x11_offer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>
#include <string>

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
