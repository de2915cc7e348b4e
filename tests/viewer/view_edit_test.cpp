// The edit view and the viewer's view through their windows: the bytes the
// control holds, what the user's typing does to them and to the document,
// the creation style, the limit and the fixed font.
#include "view_test_main.h"

#include "clipboard.h"
#include "cp932text.h"
#include "editlayout.h"
#include "edittext.h"
#include "kanjicode.h"
#include "kanjicode_length.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

#include <cstring>
#include <random>
#include <vector>

namespace {

using viewtest::Hex;

using viewtest::Window;

QPlainTextEdit* Edit(const Window& w)
{
    return static_cast<QPlainTextEdit*>(w.Widget());
}

// Types text as key presses that carry it, as a keyboard layout would.
void Type(const Window& w, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
        QApplication::sendEvent(w.Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
        QApplication::sendEvent(w.Widget(), &release);
        i += n - 1;
    }
}

void PutCursor(const Window& w, int bytes)
{
    w.view->GetEditCtrl().SetSel(bytes, bytes);
}

std::string RandomBytes(std::mt19937& rng, int maxLen)
{
    static const char* const pieces[] = {"\r", "\n", "\r\n", "\r\r\n", "\x81\n", "\xED\x40",
                                         "\xFA\x54", "\x87\x9B", "\x80", "\xFF", "\x82\xA0"};
    std::uniform_int_distribution<int> len(0, maxLen);
    std::uniform_int_distribution<int> kind(0, 2);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> piece(0, static_cast<int>(std::size(pieces)) - 1);
    std::string out;
    const int n = len(rng);
    while (static_cast<int>(out.size()) < n) {
        if (kind(rng) == 0)
            out += pieces[piece(rng)];
        else
            out += static_cast<char>(byte(rng));
    }
    return out;
}

TEST(ViewText, AnyTextComesBackByteForByte)
{
    Window w = Window::Make(true);
    std::mt19937 rng(2023);
    for (int i = 0; i < 400; ++i) {
        const std::string bytes = RandomBytes(rng, 300);
        w.SetText(bytes);
        ASSERT_EQ(Hex(w.Text()), Hex(bytes));
        ASSERT_EQ(w.view->GetBufferLength(), bytes.size());
        ASSERT_EQ(w.view->LockBuffer()[bytes.size()], '\0');
        w.view->UnlockBuffer();
    }
}

TEST(ViewText, ConvertedFilesComeBackAsConverted)
{
    // What the document sets after a load is what it stores on a save.
    Window w = Window::Make(true);
    std::mt19937 rng(655360);
    for (int i = 0; i < 300; ++i) {
        const std::string input = RandomBytes(rng, 200);
        std::vector<char> out(2 * input.size() + 1);
        ConvertToSjis(out.data(), input.c_str());
        const std::string converted(out.data());
        w.SetText(converted);
        ASSERT_EQ(Hex(w.Text()), Hex(converted)) << Hex(input);
    }
}

// A converted text may hold 00 bytes: set with its length, the whole text
// is shown (each 00 as a placeholder) and comes back byte for byte.
TEST(ViewText, A00ByteInATextSetWithItsLengthIsKept)
{
    const struct {
        std::string bytes;
        const char* why;
    } rows[] = {
        {std::string("\x82\xB1\x81\0abc\r\n", 8), "after a converted pair"},
        {std::string("\0tail", 5), "first"},
        {std::string("a\0\0b\r\n\0", 7), "twice, and after the last line end"},
    };
    for (const auto& row : rows) {
        Window w = Window::Make(true);
        w.view->GetEditCtrl().SetWindowText(row.bytes.data(), static_cast<UINT>(row.bytes.size()));
        EXPECT_EQ(Hex(w.Text()), Hex(row.bytes)) << row.why;
        EXPECT_EQ(w.view->GetEditCtrl().GetWindowTextLength(), static_cast<int>(row.bytes.size())) << row.why;
        // Typing after it keeps it.
        PutCursor(w, static_cast<int>(row.bytes.size()));
        Type(w, QStringLiteral("x"));
        EXPECT_EQ(Hex(w.Text()), Hex(row.bytes + "x")) << row.why;
        EXPECT_TRUE(Edit(w)->toPlainText().contains(QString::fromUcs4(&cp932::kReservedBase, 1)))
            << row.why << ": shown as the placeholder";
    }
    Window w = Window::Make(true);
    w.SetText(std::string("ab\0cd", 5));
    EXPECT_EQ(w.Text(), "ab") << "without a length the text ends at its NUL";
}

TEST(ViewText, ConvertedFilesWith00BytesComeBackWhole)
{
    Window w = Window::Make(true);
    std::mt19937 rng(100);
    int with00 = 0;
    for (int i = 0; i < 300; ++i) {
        // EUC-JP pairs whose partner is below 0xA1 convert to 00 now and then.
        std::string input = "\xA4\xB3" + RandomBytes(rng, 200);
        std::vector<char> out(2 * input.size() + 1);
        const std::size_t n = ConvertToSjisLength(out.data(), input.c_str(), std::strlen(input.c_str()));
        const std::string converted(out.data(), n);
        with00 += converted.find('\0') != std::string::npos ? 1 : 0;
        w.view->GetEditCtrl().SetWindowText(converted.data(), static_cast<UINT>(n));
        ASSERT_EQ(Hex(w.Text()), Hex(converted)) << Hex(input);
    }
    EXPECT_GT(with00, 10) << "the inputs reach the case";
}

// Text typed as Unicode in the forms Linux input methods give: stored as
// the code page's own characters, and shown as those.
TEST(ViewText, LinuxFormsTypedAreStoredAsTheCodePagesCharacters)
{
    const struct {
        char16_t typed;
        const char* bytes;
        char16_t shown;
    } rows[] = {
        {0x301C, "\x81\x60", 0xFF5E}, {0x2016, "\x81\x61", 0x2225}, {0x2212, "\x81\x7C", 0xFF0D},
        {0x00A2, "\x81\x91", 0xFFE0}, {0x00A3, "\x81\x92", 0xFFE1}, {0x00AC, "\x81\xCA", 0xFFE2},
        {0x2014, "\x81\x5C", 0x2015}, {0x00A6, "\xFA\x55", 0xFFE4},
    };
    for (const auto& row : rows) {
        const QString why = QStringLiteral("U+%1").arg(static_cast<int>(row.typed), 4, 16, QLatin1Char('0'));
        Window w = Window::Make(true);
        Type(w, QStringLiteral("a") + QChar(row.typed));
        QInputMethodEvent e;
        e.setCommitString(QString(QChar(row.typed)) + QStringLiteral("b"));
        QApplication::sendEvent(w.Widget(), &e);
        EXPECT_EQ(Hex(w.Text()), Hex(std::string("a") + row.bytes + row.bytes + "b")) << why.toStdString();
        EXPECT_EQ(Edit(w)->toPlainText(),
                  QStringLiteral("a") + QChar(row.shown) + QChar(row.shown) + QStringLiteral("b"))
            << why.toStdString() << ": shown as stored";
        EXPECT_TRUE(w.doc->IsModified()) << why.toStdString();
    }
}

TEST(ViewText, LineEndsAreBlocksOfTheWidget)
{
    Window w = Window::Make(true);
    w.SetText("a\r\nb\rc\nd\r\r\ne");
    EXPECT_EQ(w.view->GetEditCtrl().GetLineCount(), 6) << "CR LF, CR, LF, CR, CR LF";
    EXPECT_EQ(Edit(w)->document()->blockCount(), 6);
    EXPECT_EQ(Edit(w)->document()->findBlockByNumber(5).text(), QStringLiteral("e"));
    EXPECT_EQ(w.Text(), "a\r\nb\rc\nd\r\r\ne");
}

// A text of very many lines: its short CR LF lines share blocks. Nothing of
// that may show in the bytes, the line count or what editing does.
TEST(ViewText, ManyShortLinesKeepTheirBytesAndEditAsLines)
{
    std::mt19937 rng(8192);
    static const char* const lines[] = {"", "a", "\x82\xA0\x82\xA2", "0123456789abcde", "0123456789abcdef",
                                        "\xED\x40\xFA\x54", "a long line of text that is longer than short"};
    static const char* const ends[] = {"\r\n", "\r\n", "\r\n", "\r\n", "\r", "\n", "\r\r\n"};
    std::uniform_int_distribution<int> line(0, static_cast<int>(std::size(lines)) - 1);
    std::uniform_int_distribution<int> end(0, static_cast<int>(std::size(ends)) - 1);
    std::string text;
    int count = 1;
    for (int i = 0; i < 20000; ++i) {
        text += lines[line(rng)];
        const std::string e = i % 7 == 0 ? ends[end(rng)] : "\r\n";
        text += e;
        count += e == "\r\r\n" ? 2 : 1;
    }
    text += "end";

    Window w = Window::Make(true);
    w.SetText(text);
    ASSERT_EQ(Hex(w.Text()), Hex(text));
    EXPECT_EQ(w.view->GetEditCtrl().GetLineCount(), count);
    EXPECT_LT(Edit(w)->document()->blockCount(), count / 2) << "short lines share blocks";

    // Edits at byte offsets that fall inside shared blocks, checked against
    // the same edit on the bytes.
    std::string expect = text;
    std::uniform_int_distribution<size_t> where(3, text.size() / 2);
    for (int i = 0; i < 40; ++i) {
        size_t at = where(rng);
        const std::string before = expect;
        // the start of a line that follows a CR LF
        at = expect.find("\r\n", at);
        ASSERT_NE(at, std::string::npos);
        at += 2;
        PutCursor(w, static_cast<int>(at));
        switch (i % 3) {
        case 0:
            QTest::keyClick(w.Widget(), Qt::Key_Return);
            expect.insert(at, "\r\n");
            break;
        case 1:
            QTest::keyClick(w.Widget(), Qt::Key_Backspace);
            expect.erase(at - 2, 2);
            break;
        default:
            Type(w, QStringLiteral("x"));
            expect.insert(at, "x");
            break;
        }
        ASSERT_EQ(w.Text().size(), expect.size()) << "edit " << i << " at " << at;
        ASSERT_TRUE(w.Text() == expect) << "edit " << i << " at " << at;
        if (i % 10 == 9) {
            Edit(w)->undo();
            ASSERT_TRUE(w.Text() == before) << "undo of edit " << i;
            expect = before;
        }
    }

    // A selection across shared lines copies as CR LF lines.
    const size_t from = expect.find("\r\n\r\n\r\n");
    ASSERT_NE(from, std::string::npos);
    w.view->GetEditCtrl().SetSel(static_cast<int>(from), static_cast<int>(from + 6));
    w.view->HandleCommand(ID_EDIT_COPY);
    EXPECT_EQ(Hex(viewtest::ClipboardBytes()), Hex("\r\n\r\n\r\n"));
}

namespace {

// Kanji lines ending in CR LF up to byte offset, then `at`, then more lines
// (some 3,000 bytes), then tail.
std::string LongText(std::size_t offset, const std::string& at, const std::string& tail = "")
{
    const std::string line = "\x93\xFA\x96\x7B\x8C\xEA abc\r\n";
    std::string text;
    while (text.size() + line.size() <= offset)
        text += line;
    text.append(offset - text.size(), 'x');
    text += at;
    while (text.size() < offset + 3000)
        text += line;
    return text + tail;
}

// One line of Japanese and ASCII words far longer than a screenful, with at
// put in at offset.
std::string LongLine(std::size_t offset, const std::string& at)
{
    const std::string words = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC abc ";
    std::string text;
    while (text.size() + words.size() <= offset)
        text += words;
    text.append(offset - text.size(), 'x');
    text += at;
    while (text.size() < offset + 4 * edittext::kScreenful)
        text += words;
    return text;
}

// The number of lines the edit control counts in bytes: one more than its
// line ends (CR LF, a lone CR, a lone LF).
int LinesOf(const std::string& bytes)
{
    int lines = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
            ++lines;
    }
    return lines;
}

// The characters a text holds once it is whole in the widget.
int WholeCharacters(const std::string& bytes)
{
    return static_cast<int>(cp932::DecodeLines(bytes.data(), bytes.size()).text.size()) + 1;
}

// The characters of doc but the block breaks inside a long line.
int CharactersOfLines(const QTextDocument& doc)
{
    int joins = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        joins += edittext::GoesOnFromBefore(b) ? 1 : 0;
    return doc.characterCount() - joins;
}

}  // namespace

// A long text is there at first only as far as its first screenful; the
// rest goes in after the first paint. Wherever the text is cut, nothing of
// it may show: not in the bytes, the line count, the undo history, the
// modified flag or the wrapping.
TEST(ViewText, ALongTextIsWholeWhereverItIsCut)
{
    const std::size_t cut = edittext::kScreenful;
    const std::string overlong(3000, 'w');
    const struct {
        std::string text;
        const char* why;
    } rows[] = {
        {LongText(cut - 2, "\r\n"), "CR LF just before the screenful's end"},
        {LongText(cut - 1, "\r\n"), "CR LF across it"},
        {LongText(cut - 1, "\n"), "a lone LF at it"},
        {LongText(cut - 1, "\r"), "a lone CR at it"},
        {LongText(cut - 2, "\r\r\n"), "CR, then CR LF"},
        {LongText(cut - 2, "\x81\n"), "a lead byte before the LF"},
        {LongText(cut - 1, "\x82\xA0\n"), "a kanji over its end"},
        {LongText(cut + 5, "\n\r\n\r"), "lone line ends in the rest"},
        {LongText(cut, "", "no line end at the end"), "a last line without its end"},
        {LongText(cut, "\r\n" + overlong + "\r\n"), "an overlong word only in the rest"},
        {std::string(3 * cut, 'a'), "one line longer than the screenful"},
        {LongText(cut, std::string(20000, '\n')), "very many lines in the rest"},
        {LongLine(cut, ""), "one line far past the screenful, cut inside"},
        {LongLine(cut - 1, "\x81 "), "a lead byte before the space it is cut at"},
        {LongLine(cut - 1, "\x82\xA0 "), "a kanji before the space"},
        {LongLine(cut - 1, " \t"), "a tab just after a space"},
        {LongLine(cut - 1, " " + std::string(3000, '\t') + " "), "only tabs for a while"},
        {LongLine(3 * cut, " " + overlong + " "), "an overlong word further on in the line"},
        {LongLine(cut, "\r\n" + overlong), "an overlong word in the next line"},
    };
    for (const auto& row : rows) {
        const bool wrapsAnywhere = editlayout::HasOverlongWord(
            cp932::DecodeLines(row.text.data(), row.text.size()).text);
        {
            // Before the first paint, a message sees the whole text.
            Window w = Window::Make(true);
            w.SetText(row.text);
            ASSERT_EQ(Hex(w.Text()), Hex(row.text)) << row.why;
            EXPECT_EQ(w.view->GetEditCtrl().GetLineCount(), LinesOf(row.text)) << row.why;
        }
        Window w = Window::Make(true);
        w.SetText(row.text);
        w.ShowAndPaint();
        QTextDocument* doc = Edit(w)->document();
        EXPECT_EQ(CharactersOfLines(*doc), WholeCharacters(row.text))
            << row.why << ": whole after the first paint";
        EXPECT_FALSE(doc->isUndoAvailable()) << row.why;
        EXPECT_FALSE(w.view->GetEditCtrl().GetModify()) << row.why;
        EXPECT_FALSE(w.doc->IsModified()) << row.why;
        EXPECT_EQ(Edit(w)->wordWrapMode() == QTextOption::WrapAnywhere, wrapsAnywhere) << row.why;
        ASSERT_EQ(Hex(w.Text()), Hex(row.text)) << row.why;
        EXPECT_EQ(w.view->GetEditCtrl().GetLineCount(), LinesOf(row.text)) << row.why;
    }
    // Where a long line is cut: after a space, with no tab soon after it.
    for (const std::string& text : {LongLine(cut, ""), LongLine(cut - 1, " \t"), LongLine(cut - 1, "\x81 ")}) {
        const std::size_t first = edittext::LeadingLinesLength(text.data(), text.size());
        ASSERT_LT(first, text.size());
        EXPECT_GE(first, cut);
        EXPECT_EQ(text[first - 1], ' ');
        EXPECT_EQ(text.find('\t', first), std::string::npos);
    }
}

// Whatever the user does first finds the whole text, even before the rest
// has gone in by itself.
TEST(ViewText, TheFirstKeyOrClickFindsTheWholeText)
{
    const std::string text = LongText(3 * edittext::kScreenful, "");
    const struct {
        const char* what;
        void (*act)(const Window& w);
    } rows[] = {
        {"Ctrl+End", [](const Window& w) { QTest::keyClick(w.Widget(), Qt::Key_End, Qt::ControlModifier); }},
        {"a click", [](const Window& w) { QTest::mouseClick(Edit(w)->viewport(), Qt::LeftButton, {}, QPoint(5, 5)); }},
        {"typing", [](const Window& w) { Type(w, QStringLiteral("z")); }},
        {"a wheel turn",
         [](const Window& w) {
             QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                               Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(Edit(w)->viewport(), &wheel);
         }},
    };
    for (const auto& row : rows) {
        Window w = Window::Make(true);
        w.SetText(text);
        w.host->GetWidget()->show();
        w.view->SendMessage(WM_PAINT);  // the first paint, with nothing after it yet
        const int first = Edit(w)->document()->characterCount();
        ASSERT_GT(first, 1) << "the text is in the widget";
        ASSERT_LT(first, WholeCharacters(text)) << "only its first screenful so far";
        row.act(w);
        EXPECT_GE(Edit(w)->document()->characterCount(), WholeCharacters(text)) << row.what;
        QApplication::processEvents();
    }

    // Ctrl+End goes to the real end; an edit there is undone to the whole text.
    Window w = Window::Make(true);
    w.SetText(text);
    w.host->GetWidget()->show();
    w.view->SendMessage(WM_PAINT);
    QTest::keyClick(w.Widget(), Qt::Key_End, Qt::ControlModifier);
    Type(w, QStringLiteral("z"));
    EXPECT_EQ(w.Text(), text + "z");
    Edit(w)->undo();
    EXPECT_EQ(w.Text(), text);
    EXPECT_FALSE(Edit(w)->document()->isUndoAvailable());

    // The modified flag set before the rest goes in stays set.
    Window m = Window::Make(true);
    m.SetText(text);
    m.host->GetWidget()->show();
    m.view->SendMessage(WM_PAINT);
    m.view->GetEditCtrl().SetModify(TRUE);
    QApplication::processEvents();
    EXPECT_EQ(Edit(m)->document()->characterCount(), WholeCharacters(text));
    EXPECT_TRUE(m.view->GetEditCtrl().GetModify());
    EXPECT_EQ(m.Text(), text);
}

TEST(ViewText, SettingTheTextLeavesTheDocumentAloneAndForgetsUndo)
{
    Window w = Window::Make(true);
    QTest::keyClicks(w.Widget(), QStringLiteral("abc"));
    EXPECT_TRUE(w.doc->IsModified()) << "typing marks the document";
    EXPECT_TRUE(w.view->GetEditCtrl().CanUndo());
    w.doc->SetModifiedFlag(FALSE);
    w.SetText("\x82\xA0");
    EXPECT_FALSE(w.doc->IsModified()) << "a whole-text replacement is no user change";
    EXPECT_FALSE(w.view->GetEditCtrl().CanUndo()) << "nor can it be undone";
    w.SetText("");
    EXPECT_FALSE(w.doc->IsModified());
    EXPECT_EQ(w.Text(), "");
}

TEST(ViewText, EveryKindOfUserChangeMarksTheDocument)
{
    struct Row {
        const char* why;
        void (*change)(const Window&);
    };
    const Row rows[] = {
        {"a typed character", [](const Window& w) { QTest::keyClick(w.Widget(), 'x'); }},
        {"backspace", [](const Window& w) { QTest::keyClick(w.Widget(), Qt::Key_Backspace); }},
        {"delete", [](const Window& w) {
             PutCursor(w, 0);
             QTest::keyClick(w.Widget(), Qt::Key_Delete);
         }},
        {"enter", [](const Window& w) { QTest::keyClick(w.Widget(), Qt::Key_Return); }},
        {"cut", [](const Window& w) {
             w.view->GetEditCtrl().SetSel(0, 1);
             w.view->HandleCommand(ID_EDIT_CUT);
         }},
        {"clear", [](const Window& w) {
             w.view->GetEditCtrl().SetSel(0, 1);
             w.view->HandleCommand(ID_EDIT_CLEAR);
         }},
        {"paste", [](const Window& w) {
             viewtest::SetClipboardBytes("z");
             w.view->HandleCommand(ID_EDIT_PASTE);
         }},
        {"an input method", [](const Window& w) {
             QInputMethodEvent e;
             e.setCommitString(QStringLiteral("漢"));
             QApplication::sendEvent(w.Widget(), &e);
         }},
    };
    for (const Row& row : rows) {
        Window w = Window::Make(true);
        w.SetText("ab");
        PutCursor(w, 2);
        w.doc->SetModifiedFlag(FALSE);
        row.change(w);
        EXPECT_TRUE(w.doc->IsModified()) << row.why;
    }
}

TEST(ViewText, TypingKeepsLineEndsWhereTheyBelong)
{
    struct Row {
        const char* before;
        int cursor;  // bytes
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* after;
        const char* why;
    };
    const Row rows[] = {
        {"ab", 1, Qt::Key_Return, Qt::NoModifier, "a\r\nb", "Enter inserts CR LF"},
        {"ab", 1, Qt::Key_Return, Qt::ShiftModifier, "a\r\nb", "so does Shift+Enter"},
        {"ab", 1, Qt::Key_Enter, Qt::KeypadModifier, "a\r\nb", "and the keypad's Enter"},
        {"xy\rz", 1, Qt::Key_Return, Qt::NoModifier, "x\r\ny\rz",
         "the line keeps its lone CR after the new end"},
        {"a\nb", 1, Qt::Key_Return, Qt::NoModifier, "a\r\n\nb", "Enter before a lone LF"},
        {"a\nb", 2, Qt::Key_Return, Qt::NoModifier, "a\n\r\nb", "Enter after a lone LF"},
        {"a\nb\rc", 2, Qt::Key_Backspace, Qt::NoModifier, "ab\rc",
         "joining two lines keeps the later line's end"},
        {"a\nb\rc", 1, Qt::Key_Delete, Qt::NoModifier, "ab\rc", "also from the other side"},
        {"a\rb", 3, Qt::Key_Return, Qt::NoModifier, "a\rb\r\n", "Enter at the very end"},
        {"\xED\x40\xFA\x5C", 2, Qt::Key_Delete, Qt::NoModifier, "\xED\x40",
         "a duplicate code keeps its bytes beside an edit"},
    };
    for (const Row& row : rows) {
        Window w = Window::Make(true);
        w.SetText(row.before);
        PutCursor(w, row.cursor);
        QTest::keyClick(w.Widget(), row.key, row.mods);
        EXPECT_EQ(Hex(w.Text()), Hex(row.after)) << row.why;
        Edit(w)->undo();
        EXPECT_EQ(Hex(w.Text()), Hex(row.before)) << "undo: " << row.why;
        Edit(w)->redo();
        EXPECT_EQ(Hex(w.Text()), Hex(row.after)) << "redo: " << row.why;
    }
}

// Edits at line starts and ends of a text with every kind of line end, each
// checked against the same edit on a model of lines, then undone and redone;
// at the end everything is undone. (Bytes alone can't be the model: a lone CR
// line end followed by a lone LF one reads as CR LF.)
TEST(ViewText, UndoBringsBackEveryLineEnd)
{
    struct Line {
        std::string text;
        std::string end;  // empty for the last line
    };
    auto bytesOf = [](const std::vector<Line>& lines) {
        std::string out;
        for (const Line& l : lines)
            out += l.text + l.end;
        return out;
    };
    auto startOf = [](const std::vector<Line>& lines, size_t k) {
        size_t at = 0;
        for (size_t i = 0; i < k; ++i)
            at += lines[i].text.size() + lines[i].end.size();
        return at;
    };
    auto dropLastCharacter = [](std::string& text) {
        if (text.size() >= 2 && text[text.size() - 2] == '\x82')
            text.resize(text.size() - 2);
        else if (!text.empty())
            text.pop_back();
    };
    static const char* const ends[] = {"\r\n", "\r", "\n"};
    std::mt19937 rng(932);
    for (int round = 0; round < 20; ++round) {
        std::vector<Line> lines;
        std::uniform_int_distribution<int> end(0, 2);
        std::uniform_int_distribution<int> letter('a', 'z');
        for (int i = 0; i < 12; ++i) {
            std::string text(1, static_cast<char>(letter(rng)));
            text += i % 3 == 0 ? "\x82\xA0" : "";
            lines.push_back({text, ends[end(rng)]});
        }
        lines.push_back({"end", ""});
        const std::string text = bytesOf(lines);
        Window w = Window::Make(true);
        w.SetText(text);
        for (int i = 0; i < 25; ++i) {
            const std::string before = bytesOf(lines);
            std::string how;
            const size_t k = std::uniform_int_distribution<size_t>(0, lines.size() - 1)(rng);
            const size_t start = startOf(lines, k);
            const size_t lineEnd = start + lines[k].text.size();
            const bool last = k + 1 == lines.size();
            switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
            case 0:
                if (k == 0)
                    continue;
                PutCursor(w, static_cast<int>(start));
                QTest::keyClick(w.Widget(), Qt::Key_Backspace);
                lines[k - 1].text += lines[k].text;
                lines[k - 1].end = lines[k].end;
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(k));
                how = "backspace at a line start";
                break;
            case 1:
                if (last)
                    continue;
                PutCursor(w, static_cast<int>(lineEnd));
                QTest::keyClick(w.Widget(), Qt::Key_Delete);
                lines[k].text += lines[k + 1].text;
                lines[k].end = lines[k + 1].end;
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(k + 1));
                how = "delete at a line end";
                break;
            case 2:
                PutCursor(w, static_cast<int>(start));
                QTest::keyClick(w.Widget(), Qt::Key_Return);
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(k), Line{"", "\r\n"});
                how = "enter at a line start";
                break;
            case 3: {
                if (last)
                    continue;
                // From the line's last character (or its start, if it has
                // none) to the end of the next line's text.
                std::string kept = lines[k].text;
                dropLastCharacter(kept);
                const size_t from = start + kept.size();
                const size_t to = lineEnd + lines[k].end.size() + lines[k + 1].text.size();
                w.view->GetEditCtrl().SetSel(static_cast<int>(from), static_cast<int>(to));
                w.view->HandleCommand(ID_EDIT_CLEAR);
                lines[k].text = kept;
                lines[k].end = lines[k + 1].end;
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(k + 1));
                how = "a selection across a line end cleared";
                break;
            }
            default:
                PutCursor(w, static_cast<int>(start));
                w.view->GetEditCtrl().ReplaceSel("x\ry\nz\r\n", TRUE);
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(k),
                             {Line{"x", "\r"}, Line{"y", "\n"}, Line{"z", "\r\n"}});
                how = "text with lone ends put in";
                break;
            }
            const std::string expect = bytesOf(lines);
            ASSERT_EQ(Hex(w.Text()), Hex(expect)) << how << ", from " << Hex(before);
            ASSERT_EQ(w.view->GetEditCtrl().GetLineCount(), static_cast<int>(lines.size())) << how;
            Edit(w)->undo();
            ASSERT_EQ(Hex(w.Text()), Hex(before)) << "undo of " << how;
            Edit(w)->redo();
            ASSERT_EQ(Hex(w.Text()), Hex(expect)) << "redo of " << how;
        }
        while (Edit(w)->document()->isUndoAvailable())
            Edit(w)->undo();
        ASSERT_EQ(Hex(w.Text()), Hex(text)) << "all undone, round " << round;
    }
}

// What is shown is what is saved: a character the code page lacks is "?"
// at once, typed or from an input method, outside the first plane too.
TEST(ViewText, ACharacterCodePage932CantHoldBecomesAQuestionMark)
{
    struct Row {
        QString typed;
        std::string stored;
        QString shown;
        bool inputMethod;
    };
    const Row rows[] = {
        {QStringLiteral("a€é漢"), "a??\x8A\xBF", QStringLiteral("a??漢"), false},
        {QStringLiteral("😀"), "?", QStringLiteral("?"), false},
        {QStringLiteral("x😀y𠮷"), "x?y?", QStringLiteral("x?y?"), false},
        {QStringLiteral("한국"), "??", QStringLiteral("??"), false},
        {QStringLiteral("😀"), "?", QStringLiteral("?"), true},
        {QStringLiteral("日本😀"), "\x93\xFA\x96\x7B?", QStringLiteral("日本?"), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed.toStdString() + (row.inputMethod ? " from an input method" : " typed"));
        Window w = Window::Make(true);
        if (row.inputMethod) {
            QInputMethodEvent e;
            e.setCommitString(row.typed);
            QApplication::sendEvent(w.Widget(), &e);
        } else {
            Type(w, row.typed);
        }
        EXPECT_EQ(Hex(w.Text()), Hex(row.stored));
        EXPECT_EQ(Edit(w)->toPlainText(), row.shown) << "shown as stored";
    }
}

TEST(ViewText, SelectionsAreByteOffsets)
{
    Window w = Window::Make(true);
    w.SetText("\x82\xA0" "a\r\nb");
    w.view->GetEditCtrl().SetSel(2, 5);
    int start = -1;
    int end = -1;
    w.view->GetEditCtrl().GetSel(start, end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 5);
    EXPECT_EQ(Edit(w)->textCursor().selectedText(), QStringLiteral("a") + QChar::ParagraphSeparator);
}

TEST(ViewText, CopyPutsTheSelectionsBytesOnTheClipboard)
{
    Window w = Window::Make(true);
    w.SetText("a\rb\nc\r\nd\xED\x40");
    w.view->HandleCommand(ID_EDIT_SELECT_ALL);
    w.view->HandleCommand(ID_EDIT_COPY);
    EXPECT_EQ(Hex(viewtest::ClipboardBytes()), Hex("a\rb\nc\r\nd\xED\x40"));
}

// The print commands reach a view through its own map only: the viewer's
// view maps them, the framework's edit view alone does not.
TEST(ViewText, ThePrintCommandsAreMappedByTheViewersViewOnly)
{
    const UINT ids[] = {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW};
    for (const bool ruvokView : {true, false}) {
        Window w = Window::Make(ruvokView);
        for (const UINT id : ids) {
            // Looked up, not run: running one would open the print dialog.
            EXPECT_EQ(w.view->FindMessageEntry(WM_COMMAND, CN_COMMAND, id) != nullptr, ruvokView)
                << std::hex << id << (ruvokView ? " in the viewer's view" : " in the plain edit view");
        }
    }
}

TEST(ViewText, EditCommandsAreEnabledByWhatTheyNeed)
{
    Window w = Window::Make(true);
    QGuiApplication::clipboard()->clear();
    CEdit& edit = w.view->GetEditCtrl();
    struct Row {
        UINT id;
        BOOL expected;
        const char* why;
    };
    auto check = [&](const char* state, std::initializer_list<Row> rows) {
        for (const Row& row : rows) {
            BOOL handled = FALSE;
            EXPECT_EQ(w.view->IsCommandEnabled(row.id, &handled), row.expected) << state << ": " << row.why;
            EXPECT_TRUE(handled) << row.why;
        }
    };
    check("empty", {{ID_EDIT_CUT, FALSE, "cut needs a selection"},
                    {ID_EDIT_COPY, FALSE, "copy needs a selection"},
                    {ID_EDIT_CLEAR, FALSE, "clear needs a selection"},
                    {ID_EDIT_PASTE, FALSE, "paste needs text on the clipboard"},
                    {ID_EDIT_SELECT_ALL, FALSE, "select all needs text"},
                    {ID_EDIT_UNDO, FALSE, "undo needs something to undo"}});
    QTest::keyClicks(w.Widget(), QStringLiteral("ab"));
    viewtest::SetClipboardBytes("x");
    check("typed", {{ID_EDIT_CUT, FALSE, "still no selection"},
                    {ID_EDIT_PASTE, TRUE, "the clipboard has text"},
                    {ID_EDIT_SELECT_ALL, TRUE, "there is text"},
                    {ID_EDIT_UNDO, TRUE, "the typing can be undone"}});
    edit.SetSel(0, 1);
    check("selected", {{ID_EDIT_CUT, TRUE, "a selection"},
                       {ID_EDIT_COPY, TRUE, "a selection"},
                       {ID_EDIT_CLEAR, TRUE, "a selection"}});
    w.view->HandleCommand(ID_EDIT_UNDO);
    EXPECT_EQ(w.Text(), "") << "undo takes the typing back";
    w.view->HandleCommand(ID_EDIT_SELECT_ALL);
    EXPECT_FALSE(w.view->IsCommandEnabled(ID_EDIT_COPY));
}

TEST(ViewStyle, TheViewWrapsWithoutAHorizontalScrollBar)
{
    Window plain = Window::Make(false);
    Window view = Window::Make(true);
    const DWORD kWrapBits = WS_HSCROLL | ES_AUTOHSCROLL;
    EXPECT_EQ(plain.view->GetStyle() & kWrapBits, kWrapBits) << "the edit view's default";
    EXPECT_EQ(view.view->GetStyle() & kWrapBits, 0u) << "the viewer's view clears both";
    EXPECT_EQ(view.view->GetStyle() & ES_MULTILINE, ES_MULTILINE);

    const std::string longLine(2000, 'a');
    for (Window* w : {&plain, &view}) {
        w->SetText(longLine + "\r\n" + std::string(300, 'x') + " " + std::string(300, 'y'));
        w->ShowAndPaint();
    }
    EXPECT_EQ(Edit(plain)->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(Edit(plain)->horizontalScrollBar()->isVisible());
    EXPECT_EQ(Edit(view)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(Edit(view)->horizontalScrollBar()->isVisible());
    const QTextBlock first = Edit(view)->document()->firstBlock();
    ASSERT_NE(first.layout(), nullptr);
    EXPECT_GT(first.layout()->lineCount(), 10) << "a line without spaces wraps anywhere";
    for (int i = 0; i < first.layout()->lineCount(); ++i)
        EXPECT_LE(first.layout()->lineAt(i).naturalTextWidth(), Edit(view)->viewport()->width());
    EXPECT_EQ(plain.Text(), view.Text()) << "wrapping adds no line ends";
}

TEST(ViewStyle, TheViewTakesMoreThanTheEditViewsLimit)
{
    constexpr std::size_t kEditViewLimit = 0xFFFFF;  // 1,048,575
    Window plain = Window::Make(false);
    Window view = Window::Make(true);
    EXPECT_EQ(plain.view->GetEditCtrl().GetLimitText(), kEditViewLimit);
    EXPECT_EQ(view.view->GetEditCtrl().GetLimitText(), CEdit::kMaxTextLimit);

    // Lines of 100 bytes with CR LF, filled to exactly the limit.
    std::string full;
    while (full.size() + 102 <= kEditViewLimit)
        full += std::string(100, 'a') + "\r\n";
    full += std::string(kEditViewLimit - full.size(), 'z');
    ASSERT_EQ(full.size(), kEditViewLimit);
    for (Window* w : {&plain, &view}) {
        w->ShowAndPaint();
        w->SetText(full);
        PutCursor(*w, static_cast<int>(kEditViewLimit));
        QTest::keyClick(w->Widget(), 'b');
        viewtest::SetClipboardBytes("cd");
        w->view->HandleCommand(ID_EDIT_PASTE);
    }
    EXPECT_EQ(plain.view->GetBufferLength(), kEditViewLimit) << "the edit view stops at its limit";
    EXPECT_EQ(view.view->GetBufferLength(), kEditViewLimit + 3) << "typed and pasted past it";
    EXPECT_EQ(view.Text().substr(kEditViewLimit), "bcd");
}

TEST(ViewStyle, TheFixedFontArrivesWithTheFirstPaint)
{
    g_bFixedFontPending = TRUE;
    Window w = Window::Make(true);
    w.SetText("\x93\xFA\x96\x7B\x8C\xEA abc");
    EXPECT_EQ(g_bFixedFontPending, TRUE) << "nothing painted yet";
    EXPECT_NE(w.Widget()->font().family(), QStringLiteral("IPAGothic"));
    w.ShowAndPaint();
    EXPECT_EQ(g_bFixedFontPending, FALSE);
    const QFontInfo info(w.Widget()->font());
    EXPECT_EQ(info.family(), QStringLiteral("IPAGothic"));
    // Fixed pitch, the Japanese way: one cell for every half-width
    // character (the font calls itself dual-width, not fixed pitch).
    const QFontMetrics cells(w.Widget()->font());
    for (const QChar ch : QStringLiteral("iWM.ｱ"))
        EXPECT_EQ(cells.horizontalAdvance(ch), cells.horizontalAdvance(QLatin1Char('0'))) << ch.unicode();
    ASSERT_NE(g_pFixedFont, nullptr);
    EXPECT_EQ(reinterpret_cast<HFONT>(w.view->SendMessage(WM_GETFONT)),
              static_cast<HFONT>(*g_pFixedFont));
    const QFontMetrics metrics(w.Widget()->font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("日")),
              2 * metrics.horizontalAdvance(QLatin1Char('a')))
        << "a full-width character is two half-width cells";
    EXPECT_DOUBLE_EQ(Edit(w)->tabStopDistance(), 8.0 * metrics.horizontalAdvance(QLatin1Char('0')))
        << "tab stops of 32 dialog units: eight cells";

    Window later = Window::Make(true);
    later.ShowAndPaint();
    EXPECT_NE(later.Widget()->font().family(), QStringLiteral("IPAGothic"))
        << "the font is given once a process";
}

TEST(ViewStyle, PaintingShowsJapaneseTextInTheFixedFont)
{
    g_bFixedFontPending = TRUE;
    Window w = Window::Make(true, 360, 200);
    const std::string sentence =
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\xCD\x82\xAA\x89\xE6\x96\xCA\x82\xCC"
        "\x92\x5B\x82\xC5\x90\xDC\x82\xE8\x95\xD4\x82\xB3\x82\xEA\x82\xDC\x82\xB7\x81\x42";
    w.SetText(sentence + sentence + "\r\nabcdefghijklmnopqrstuvwxyz0123456789 \xB6\xC0\xB6\xC5\r\n"
              "\x80\xFF<-reserved \xED\x40=\xFA\x5C\r\n\ttab");
    w.ShowAndPaint();
    const QImage image = w.Widget()->grab().toImage();
    EXPECT_FALSE(image.isNull());
    const char* out = std::getenv("RUVOK_VIEW_SHOT");
    if (out != nullptr)
        image.save(QString::fromLocal8Bit(out));
    // Something dark was drawn: the text.
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 200);
}

}  // namespace

namespace {

// The first rows of a text as the view draws them, in the fixed font.
// With put, these bytes are then put in after the first byte, as a paste
// would.
QImage FirstRows(const std::string& bytes, int rows, const std::string& put = "")
{
    Window w = Window::Make(true, 360, 200);
    w.view->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)), 0);
    Edit(w)->setCursorWidth(0);
    w.SetText(bytes);
    w.ShowAndPaint();
    if (!put.empty()) {
        PutCursor(w, 1);
        w.view->GetEditCtrl().ReplaceSel(put.c_str(), TRUE);
        PutCursor(w, 0);
        w.Widget()->repaint();
    }
    const int height = rows * QFontMetrics(Edit(w)->font()).lineSpacing();
    return Edit(w)->viewport()->grab(QRect(0, 0, Edit(w)->viewport()->width(), height)).toImage();
}

}  // namespace

// A very long line is laid out differently from a short one (see the edit
// view); what it shows must not differ.
TEST(ViewStyle, ALongLineLooksAsAShortOneWould)
{
    struct Row {
        const char* why;
        std::string head;
    };
    const std::string kanji = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\xCD\x82\xAA\x81\x41";
    const Row rows[] = {
        {"Japanese prose", kanji + kanji + kanji},
        {"ASCII words", "the quick brown fox jumps over the lazy dog, 0123456789 times"},
        {"duplicate codes", "a\xED\x40=\xFA\x5C b\x87\x90=\x81\xE0 c\xFA\x4A=\x87\x54 " + kanji},
        {"undecodable bytes", "a\x80" "b\xFF" "c\xA0" "d\x85\x40" "e " + kanji},
        {"half-width katakana", "\xB6\xC0\xB6\xC5 \xC3\xB7\xBD\xC4 " + kanji},
        {"tabs and control bytes", "a\tb\tc\x01\x1F" "d " + kanji},
    };
    std::string filler;
    while (filler.size() < 12000)
        filler += kanji + " words ";
    for (const Row& row : rows) {
        const std::string head = "x" + row.head;
        const QImage shortLine = FirstRows(head + filler.substr(0, 200), 2);
        const QImage longLine = FirstRows(head + filler, 2);
        const QImage pasted = FirstRows("x" + filler, 2, row.head);
        ASSERT_FALSE(shortLine.isNull());
        EXPECT_TRUE(shortLine == longLine) << row.why;
        EXPECT_TRUE(shortLine == pasted) << row.why << ", put into a long line";
        const char* out = std::getenv("RUVOK_VIEW_SHOT");
        if (out != nullptr && (shortLine != longLine || shortLine != pasted)) {
            shortLine.save(QString::fromLocal8Bit(out) + QStringLiteral(".short.png"));
            longLine.save(QString::fromLocal8Bit(out) + QStringLiteral(".long.png"));
            pasted.save(QString::fromLocal8Bit(out) + QStringLiteral(".pasted.png"));
        }
    }
}

// Qt's wrapping at word boundaries is quadratic in a run with no boundary,
// so a text with a very long one wraps anywhere; another text brings word
// wrapping back.
TEST(ViewStyle, AnOverlongWordWrapsAnywhere)
{
    struct Row {
        const char* why;
        std::string text;
        QTextOption::WrapMode wrap;
    };
    const Row rows[] = {
        {"a run of 3,000 letters", std::string(3000, 'a'), QTextOption::WrapAnywhere},
        {"words", "some words\r\nand more", QTextOption::WrapAtWordBoundaryOrAnywhere},
        {"a run of 3,000 digits after words", "words " + std::string(3000, '7'), QTextOption::WrapAnywhere},
        {"3,000 kana, each a boundary", [] {
             std::string kana;
             for (int i = 0; i < 3000; ++i)
                 kana += "\x82\xA0";
             return kana;
         }(), QTextOption::WrapAtWordBoundaryOrAnywhere},
    };
    Window w = Window::Make(true);
    w.ShowAndPaint();
    for (const Row& row : rows) {
        w.SetText(row.text);
        w.Widget()->repaint();
        EXPECT_EQ(Edit(w)->document()->defaultTextOption().wrapMode(), row.wrap) << row.why;
    }
}
