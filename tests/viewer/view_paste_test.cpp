// The converting paste: whatever the clipboard's text is in, the view
// inserts Shift_JIS with CR LF line ends, and puts that back on the
// clipboard only where the clipboard held legacy bytes it read otherwise;
// every way of pasting goes through it; what can't be had leaves the
// clipboard alone and lets the control paste.
#include "view_test_main.h"

#include "clipboard.h"
#include "cp932text.h"
#include "kanjicode.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

namespace {

using viewtest::Hex;

using viewtest::ClipboardBytes;
using viewtest::SetClipboardBytes;
using viewtest::Window;

// "日本語です" in each encoding, and as the view holds it.
const char kSjis[] = "\x93\xFA\x96\x7B\x8C\xEA\x82\xC5\x82\xB7";
const char kEuc[] = "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xC7\xA4\xB9";
const char kJis[] = "\x1B$BF|K\\8l$G$9\x1B(B";

void Paste(const Window& w)
{
    w.view->HandleCommand(ID_EDIT_PASTE);
}

// Drags data over the view and drops it there, as a drag from another
// program would.
void Drop(const Window& w, const QMimeData& dropped)
{
    auto* edit = static_cast<QPlainTextEdit*>(w.Widget());
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &drop);
}

TEST(ViewPaste, ConvertsTheClipboardsTextBeforeTheControlPastes)
{
    ASSERT_EQ(DetectKanjiCode(kEuc), KC_EUC);
    ASSERT_EQ(DetectKanjiCode(kJis), KC_JIS);
    struct Row {
        std::string clipboard;
        std::string inserted;
        std::string clipboardAfter;
        const char* why;
    };
    // The clipboard here holds Unicode text (the bytes as code page 932
    // reads them): it gets the conversion only where that text is ASCII
    // (JIS) the conversion read otherwise; line ends alone leave it as it
    // was. Legacy bytes offered as such: TextOfferedByOtherProgramsArrivesWhole.
    const Row rows[] = {
        {kSjis, kSjis, kSjis, "Shift_JIS stays"},
        {kEuc, kSjis, kEuc, "EUC-JP becomes Shift_JIS"},
        {kJis, kSjis, kSjis, "JIS becomes Shift_JIS"},
        {"a\nb\n", "a\r\nb\r\n", "a\nb\n", "bare LF becomes CR LF"},
        {"a\r\nb\rc", "a\r\nb\rc", "a\r\nb\rc", "CR LF and a lone CR stay"},
        {std::string("x\n") + kEuc, std::string("x\r\n") + kSjis, std::string("x\n") + kEuc,
         "EUC-JP with bare LF"},
        {std::string("x\n") + kJis, std::string("x\r\n") + kSjis, std::string("x\r\n") + kSjis,
         "JIS with bare LF"},
    };
    for (const Row& row : rows) {
        Window w = Window::Make(true);
        w.SetText("[]");
        w.view->GetEditCtrl().SetSel(1, 1);
        SetClipboardBytes(row.clipboard);
        Paste(w);
        EXPECT_EQ(Hex(w.Text()), Hex("[" + row.inserted + "]")) << row.why;
        EXPECT_EQ(Hex(ClipboardBytes()), Hex(row.clipboardAfter)) << row.why;
        EXPECT_TRUE(w.doc->IsModified()) << row.why;
    }
}

// Only the inserted copy gets "?": the clipboard keeps what it held, in
// every form, for its owner and the next paste.
TEST(ViewPaste, ACharacterCodePage932CantHoldBecomesAQuestionMark)
{
    struct Row {
        QString clipboard;
        std::string inserted;
        QString shown;
    };
    const Row rows[] = {
        {QStringLiteral("a€b漢"), "a?b\x8A\xBF", QStringLiteral("a?b漢")},
        {QStringLiteral("Price €100, 한국어, 😀"), "Price ?100, ???, ?", QStringLiteral("Price ?100, ???, ?")},
        {QStringLiteral("日本語\n😀\n"), "\x93\xFA\x96\x7B\x8C\xEA\r\n?\r\n",
         QStringLiteral("日本語\n?\n")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.clipboard.toStdString());
        Window w = Window::Make(true);
        auto* data = new QMimeData;
        data->setText(row.clipboard);
        data->setHtml(QStringLiteral("<p>html</p>"));
        QGuiApplication::clipboard()->setMimeData(data);
        Paste(w);
        EXPECT_EQ(Hex(w.Text()), Hex(row.inserted));
        EXPECT_EQ(static_cast<QPlainTextEdit*>(w.Widget())->toPlainText(), row.shown);
        EXPECT_EQ(QGuiApplication::clipboard()->mimeData(), data) << "the clipboard as it was";
        EXPECT_EQ(QGuiApplication::clipboard()->text(), row.clipboard);
        Paste(w);
        EXPECT_EQ(Hex(w.Text()), Hex(row.inserted + row.inserted)) << "pasted again";
    }
}

TEST(ViewPaste, AClipboardWithOnlyAnImageIsLeftAlone)
{
    Window w = Window::Make(true);
    w.SetText("keep");
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image);
    const QStringList before = QGuiApplication::clipboard()->mimeData()->formats();
    Paste(w);
    EXPECT_EQ(w.Text(), "keep");
    EXPECT_FALSE(w.doc->IsModified());
    const QMimeData* after = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(after->formats(), before);
    EXPECT_FALSE(after->hasText());
    EXPECT_TRUE(after->hasImage());
    EXPECT_TRUE(OpenClipboard(nullptr)) << "the clipboard was not left open";
    CloseClipboard();
}

TEST(ViewPaste, OtherFormatsStayBesideTheConvertedText)
{
    Window w = Window::Make(true);
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), QByteArray(kEuc) + "\nb");
    data->setHtml(QStringLiteral("<b>a</b>"));
    QGuiApplication::clipboard()->setMimeData(data);
    Paste(w);
    EXPECT_EQ(Hex(w.Text()), Hex(std::string(kSjis) + "\r\nb"));
    EXPECT_EQ(Hex(ClipboardBytes()), Hex(std::string(kSjis) + "\r\nb"));
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->html(), QStringLiteral("<b>a</b>"));
}

TEST(ViewPaste, WhatCantBeHadLeavesTheClipboardAndLetsTheControlPaste)
{
    struct Row {
        void (*arm)();
        const char* why;
    };
    const Row rows[] = {
        {[] { GlobalFailLockAt(1); }, "the clipboard's block can't be locked"},
        {[] { GlobalFailAllocAt(1); }, "the conversion block can't be allocated"},
        {[] { GlobalFailLockAt(2); }, "the conversion block can't be locked"},
    };
    for (const Row& row : rows) {
        Window w = Window::Make(true);
        SetClipboardBytes("a\nb");
        const int blocks = GlobalBlocksInUse();
        row.arm();
        Paste(w);
        GlobalFailAllocAt(0);
        GlobalFailLockAt(0);
        EXPECT_EQ(Hex(ClipboardBytes()), Hex("a\nb")) << row.why << ": clipboard unchanged";
        EXPECT_EQ(Hex(w.Text()), Hex("a\nb")) << row.why << ": the control's own paste";
        EXPECT_LE(GlobalBlocksInUse(), blocks + 1) << row.why << ": nothing leaked";
        EXPECT_TRUE(OpenClipboard(nullptr)) << row.why << ": closed again";
        CloseClipboard();
    }
}

TEST(ViewPaste, EveryWayOfPastingConverts)
{
    struct Row {
        const char* why;
        void (*paste)(const Window&);
    };
    const Row rows[] = {
        {"the Edit menu's command", [](const Window& w) { w.view->HandleCommand(ID_EDIT_PASTE); }},
        {"Ctrl+V", [](const Window& w) { QTest::keyClick(w.Widget(), Qt::Key_V, Qt::ControlModifier); }},
        {"Shift+Insert",
         [](const Window& w) { QTest::keyClick(w.Widget(), Qt::Key_Insert, Qt::ShiftModifier); }},
        {"the widget's context menu",
         [](const Window& w) { static_cast<QPlainTextEdit*>(w.Widget())->paste(); }},
        {"WM_PASTE sent to the control", [](const Window& w) { w.view->GetEditCtrl().Paste(); }},
    };
    for (const Row& row : rows) {
        Window w = Window::Make(true);
        SetClipboardBytes(std::string("x\n") + kEuc);
        row.paste(w);
        EXPECT_EQ(Hex(w.Text()), Hex(std::string("x\r\n") + kSjis)) << row.why;
    }
}

TEST(ViewPaste, ADroppedTextIsConvertedWithoutTouchingTheClipboard)
{
    Window w = Window::Make(true);
    w.ShowAndPaint();
    SetClipboardBytes("clip");
    QMimeData dropped;
    dropped.setText(cp932::Decode(QByteArray(kEuc) + "\n"));
    Drop(w, dropped);
    EXPECT_EQ(Hex(w.Text()), Hex(std::string(kSjis) + "\r\n"));
    EXPECT_EQ(ClipboardBytes(), "clip");
}

// What other programs offer: the bytes of a legacy charset, or plain text
// that is not UTF-8, reach the conversion as they are; UTF-8 text becomes
// code page 932. Either way the paste inserts Shift_JIS, and the clipboard
// then offers that text as UTF-8 and in no other text form.
TEST(ViewPaste, TextOfferedByOtherProgramsArrivesWhole)
{
    const QByteArray euc(kEuc);
    const QByteArray sjis(kSjis);
    const QByteArray jis(kJis);
    const QByteArray utf8 = QStringLiteral("日本語です").toUtf8();
    struct Row {
        std::vector<std::pair<const char*, QByteArray>> offered;
        std::string inserted;
        QString readable;  // the clipboard's text afterwards, where it is put back
        const char* why;
        bool putBack = true;  // else the clipboard offers what it offered
    };
    const Row rows[] = {
        {{{"text/plain", euc}}, kSjis, QStringLiteral("日本語です"), "raw EUC-JP as text/plain"},
        {{{"text/plain", euc + "\n"}}, std::string(kSjis) + "\r\n", QStringLiteral("日本語です\r\n"),
         "with a bare LF"},
        {{{"text/plain;charset=EUC-JP", euc}}, kSjis, QStringLiteral("日本語です"), "EUC-JP by name", false},
        {{{"text/plain;charset=Shift_JIS", sjis}}, kSjis, QStringLiteral("日本語です"), "Shift_JIS by name", false},
        {{{"text/plain;charset=ISO-2022-JP", jis}}, kSjis, QStringLiteral("日本語です"), "JIS by name", false},
        {{{"STRING", euc}}, kSjis, QStringLiteral("日本語です"), "an X11 STRING of EUC-JP bytes"},
        {{{"UTF8_STRING", euc}}, kSjis, QStringLiteral("日本語です"), "said to be UTF-8 and not"},
        {{{"UTF8_STRING", utf8}}, kSjis, QStringLiteral("日本語です"), "an X11 UTF8_STRING", false},
        {{{"text/plain;charset=utf-8", utf8}}, kSjis, QStringLiteral("日本語です"), "UTF-8 by name", false},
        {{{"text/plain;charset=EUC-JP", euc}, {"text/plain;charset=utf-8", utf8}}, kSjis,
         QStringLiteral("日本語です"), "UTF-8 first, whatever the order", false},
        {{{"text/plain", QStringLiteral("10〜20 ¢").toUtf8()}}, "10\x81\x60" "20 \x81\x91",
         QStringLiteral("10～20 ￠"), "UTF-8 with Linux forms", false},
        {{{"text/plain;charset=utf-8", QByteArray("abc\0def", 7)}}, "abc", QStringLiteral("abc"),
         "a NUL ends the text", false},
    };
    for (const Row& row : rows) {
        Window w = Window::Make(true);
        auto* data = new QMimeData;
        for (const auto& [format, bytes] : row.offered)
            data->setData(QLatin1String(format), bytes);
        data->setHtml(QStringLiteral("<i>other</i>"));
        QGuiApplication::clipboard()->setMimeData(data);
        ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT)) << row.why;
        Paste(w);
        EXPECT_EQ(Hex(w.Text()), Hex(row.inserted)) << row.why;
        const QMimeData* after = QGuiApplication::clipboard()->mimeData();
        if (!row.putBack) {
            EXPECT_EQ(after, data) << row.why << ": the clipboard is its owner's still";
            for (const auto& [format, bytes] : row.offered)
                EXPECT_EQ(after->data(QLatin1String(format)), bytes) << row.why;
            Paste(w);
            EXPECT_EQ(Hex(w.Text()), Hex(row.inserted + row.inserted)) << row.why << ": pasted again";
            continue;
        }
        EXPECT_EQ(after->text(), row.readable) << row.why << ": readable by other programs";
        EXPECT_EQ(after->data(QStringLiteral("text/plain")), row.readable.toUtf8()) << row.why;
        EXPECT_EQ(after->data(QStringLiteral("text/plain;charset=utf-8")), row.readable.toUtf8()) << row.why;
        for (const QString& format : after->formats()) {
            EXPECT_TRUE(format == QLatin1String("text/plain") || format == QLatin1String("text/html")
                        || format == QLatin1String("text/plain;charset=utf-8"))
                << row.why << ": the old text stays offered as " << format.toStdString();
        }
        EXPECT_EQ(after->html(), QStringLiteral("<i>other</i>")) << row.why;
        // A second paste reads the converted text back unchanged.
        Paste(w);
        EXPECT_EQ(Hex(w.Text()), Hex(row.inserted + row.inserted)) << row.why;
    }
}

// A drop offered as legacy bytes (a charset other than UTF-8 by name, or
// bytes that are not UTF-8) converts as a paste does.
TEST(ViewPaste, ADropOfLegacyBytesIsConvertedToo)
{
    const struct {
        const char* format;
        QByteArray bytes;
        const char* why;
    } rows[] = {
        {"text/plain;charset=EUC-JP", QByteArray(kEuc) + "\n", "EUC-JP by name"},
        {"text/plain;charset=Shift_JIS", QByteArray(kSjis) + "\n", "Shift_JIS by name"},
        {"text/plain;charset=ISO-2022-JP", QByteArray(kJis) + "\n", "JIS by name"},
        {"text/plain", QByteArray(kEuc) + "\n", "EUC-JP bytes as plain text"},
        {"UTF8_STRING", QByteArray(kEuc) + "\n", "EUC-JP bytes said to be UTF-8"},
        {"text/plain;charset=utf-8", QStringLiteral("日本語です\n").toUtf8(), "UTF-8"},
    };
    for (const auto& row : rows) {
        Window w = Window::Make(true);
        w.ShowAndPaint();
        SetClipboardBytes("clip");
        QMimeData dropped;
        dropped.setData(QLatin1String(row.format), row.bytes);
        Drop(w, dropped);
        EXPECT_EQ(Hex(w.Text()), Hex(std::string(kSjis) + "\r\n")) << row.why;
        EXPECT_EQ(ClipboardBytes(), "clip") << row.why;
    }
}

}  // namespace
