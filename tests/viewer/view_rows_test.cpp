// A long line, which the edit control holds in several blocks, against the
// same line held as one block in a plain QPlainTextEdit of the same size,
// font and tab stops: the rows it wraps into at many widths, before and
// after edits; where the keys and clicks put the cursor; what a selection
// across the blocks gives; undo; input method composition; the text a
// screen reader is given.
#include "view_test_main.h"

#include "cp932text.h"
#include "editlayout.h"
#include "edittext.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using viewtest::Hex;
using viewtest::Window;

QPlainTextEdit* Edit(const Window& w)
{
    return static_cast<QPlainTextEdit*>(w.Widget());
}

// Shift_JIS text of one line: kanji and kana words, punctuation, ASCII
// words, spaces, half-width katakana, a tab now and then.
std::string Line(std::size_t bytes, unsigned seed, bool tabs = true)
{
    static const char* const pieces[] = {
        "\x93\xFA\x96\x7B\x8C\xEA", "\x82\xCC", "\x95\xB6\x8F\xCD", "\x82\xAA", "\x81\x41",
        "\x81\x42", "\x8A\xBF\x8E\x9A", "\x82\xA9\x82\xC8", "\x83\x4A\x83\x5E\x83\x4A\x83\x69",
        " words ", "text", " ", "(\x8A\x87\x8C\xCA)", "\xB6\xC0\xB6\xC5", "0123", "\x81\x75\x88\xF8\x81\x76",
        "\x82\xC1", "\x81\x5B", "\t"};
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(pieces)) - (tabs ? 1 : 2));
    std::string out;
    while (out.size() < bytes)
        out += pieces[pick(rng)];
    return out;
}

// The view, and beside it a plain QPlainTextEdit of the same size holding
// its text as one block per line, as the control held it before.
struct Pair {
    Window w;
    std::unique_ptr<QPlainTextEdit> ref;

    static Pair Make(const std::string& bytes, int width, int height = 300)
    {
        Pair p{Window::Make(true, width, height), nullptr};
        // The font every view has from its first paint on (only the first of
        // a process gets it by itself).
        p.w.view->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)), 0);
        p.w.SetText(bytes);
        p.w.ShowAndPaint();
        p.ref = std::make_unique<QPlainTextEdit>();
        QPlainTextEdit* e = Edit(p.w);
        p.ref->setFrameStyle(e->frameStyle());
        p.ref->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        p.ref->setFont(e->font());
        p.ref->setTabStopDistance(e->tabStopDistance());
        p.ref->setCursorWidth(e->cursorWidth());
        p.ref->resize(e->size());
        p.ref->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(p.ref.get()));
        p.Refill();
        return p;
    }

    // The reference made again from the view's bytes.
    void Refill() const
    {
        const std::string bytes = w.Text();
        const cp932::Lines lines = cp932::DecodeLines(bytes.data(), bytes.size());
        ref->document()->clear();
        ref->setWordWrapMode(Edit(w)->wordWrapMode());
        QTextCursor c(ref->document());
        c.insertText(lines.text);
        editlayout::ShapeOnlyWhereNeeded(ref->document(), 0, ref->document()->characterCount());
        ref->document()->clearUndoRedoStacks();
        QApplication::processEvents();
    }
};

// Positions as characters of the text, not counting the block breaks inside
// a line; and back.
int TextOffset(const QTextDocument& doc, int pos)
{
    int joins = 0;
    for (QTextBlock b = doc.begin(); b.isValid() && b.position() <= pos; b = b.next())
        joins += edittext::GoesOnFromBefore(b) ? 1 : 0;
    return pos - joins;
}

int DocPosition(const QTextDocument& doc, int offset)
{
    int joins = 0;
    // At a break, the next block's start: where the cursor stays.
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        joins += edittext::GoesOnFromBefore(b) ? 1 : 0;
        const int end = b.position() + b.length() - 1 - joins;
        if (b.position() - joins <= offset && (offset < end || (offset == end && !edittext::GoesOnAfter(b))))
            return offset + joins;
    }
    return offset + joins;
}

// Both cursors at text offset `at`; and both composing `preedit` there.
void PlaceCursors(Pair& p, int at)
{
    QTextCursor c = Edit(p.w)->textCursor();
    c.setPosition(DocPosition(*Edit(p.w)->document(), at));
    Edit(p.w)->setTextCursor(c);
    QTextCursor r = p.ref->textCursor();
    r.setPosition(at);
    p.ref->setTextCursor(r);
}

void Compose(Pair& p, const QString& preedit)
{
    QInputMethodEvent compose(preedit, {});
    QApplication::sendEvent(p.w.Widget(), &compose);
    QInputMethodEvent same(preedit, {});
    QApplication::sendEvent(p.ref.get(), &same);
    QApplication::processEvents();
}

// Where each row on screen starts, as a text offset (the text being
// composed counted in, as the layout of its block counts it).
std::vector<int> RowStarts(const QPlainTextEdit& e)
{
    const QTextDocument& doc = *e.document();
    std::vector<int> starts;
    const qreal margin = doc.documentMargin();
    int composing = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        doc.documentLayout()->blockBoundingRect(b);
        const QTextLayout* tl = b.layout();
        const int composed = static_cast<int>(tl->preeditAreaText().size());
        const int composedAt = tl->preeditAreaPosition();
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            if (i == 0 && edittext::GoesOnFromBefore(b) && line.x() > margin)
                continue;  // the rest of the row before
            // The line's start counts what is composed before it in this
            // block; the block's own text does not (a start past the block's
            // end is not in the next block).
            const int before = composed > 0 && line.textStart() > composedAt
                ? std::min(line.textStart() - composedAt, composed) : 0;
            starts.push_back(TextOffset(doc, b.position() + line.textStart() - before) + composing + before);
        }
        composing += composed;
    }
    return starts;
}

// The first row where two lists of row starts part, with the block break
// nearest it, for the failure's message.
std::string FirstDifference(const std::vector<int>& ours, const std::vector<int>& theirs,
                            const std::vector<int>& joins)
{
    for (std::size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i) {
        if (ours[i] == theirs[i])
            continue;
        int nearest = -1;
        for (int j : joins)
            if (nearest < 0 || std::abs(j - theirs[i]) < std::abs(nearest - theirs[i]))
                nearest = j;
        return "row " + std::to_string(i) + " starts at " + std::to_string(ours[i]) + ", not "
               + std::to_string(theirs[i]) + "; the row before at " + std::to_string(theirs[i - 1])
               + "; nearest block break " + std::to_string(nearest);
    }
    return ours.size() == theirs.size() ? "" : "a different number of rows";
}

std::string Rows(const std::vector<int>& starts)
{
    std::string s;
    for (int v : starts)
        s += std::to_string(v) + ' ';
    return s;
}

int Blocks(const Window& w)
{
    return Edit(w)->document()->blockCount();
}

// The text offsets of the first few block breaks inside the line.
std::vector<int> Joins(const QTextDocument& doc, int most = 3)
{
    std::vector<int> out;
    for (QTextBlock b = doc.begin(); b.isValid() && static_cast<int>(out.size()) < most; b = b.next())
        if (edittext::GoesOnFromBefore(b))
            out.push_back(TextOffset(doc, b.position()));
    return out;
}

}  // namespace

TEST(ViewRows, ALongLineWrapsAsOneBlockWould)
{
    const struct {
        std::string text;
        const char* why;
        bool joined;  // held in several blocks
    } texts[] = {
        {Line(24000, 1), "Japanese with words, kana and tabs", false},
        {Line(6000, 11, false) + "\t" + Line(18000, 12, false) + "\t", "two tabs far apart", true},
        {Line(24000, 2, false), "the same without tabs", true},
        {std::string(9000, 'a') + " " + Line(9000, 3, false), "an overlong word, wrapping anywhere (one block)", false},
        {[] {
             std::string s;
             while (s.size() < 16000)
                 s += "the quick brown fox jumps over the lazy dog ";
             return s;
         }(),
         "ASCII words", true},
        {Line(30000, 10, false), "another Japanese text", true},
        {Line(70000, 15, false), "a line that goes in after its first screenful", true},
    };
    for (const auto& t : texts) {
        for (const int width : {180, 257, 400, 611, 1000}) {
            Pair p = Pair::Make(t.text, width);
            if (t.joined) {
                ASSERT_GT(Blocks(p.w), 3) << t.why;
            }
            ASSERT_EQ(Hex(p.w.Text()), Hex(t.text)) << t.why;
            const std::vector<int> ours = RowStarts(*Edit(p.w));
            const std::vector<int> theirs = RowStarts(*p.ref);
            EXPECT_EQ(FirstDifference(ours, theirs, Joins(*Edit(p.w)->document(), 1000)), "")
                << t.why << ", width " << width;
        }
    }
}

TEST(ViewRows, EditsAndResizesKeepTheRowsOfOneBlock)
{
    Pair p = Pair::Make(Line(20000, 4, false), 400);
    const QTextDocument& doc = *Edit(p.w)->document();
    const std::vector<int> joins = Joins(doc);
    ASSERT_GE(joins.size(), 2u);
    struct Step {
        const char* why;
        int at;  // text offset
        std::string put;
    };
    const Step steps[] = {
        {"a kanji at the start", 0, "\x8A\xBF"},
        {"a letter just before a block's end", joins[0] - 1, "x"},
        {"a letter at a block's start", joins[0], "y"},
        {"a space after it", joins[0] + 1, " "},
        {"a long word across a block break", joins[1], std::string(60, 'w')},
        {"a line end in the middle", joins[1] + 100, "\r\n"},
        {"a long line pasted", 5, Line(9000, 9, false)},
    };
    for (const Step& s : steps) {
        const int pos = DocPosition(*Edit(p.w)->document(), s.at);
        p.w.view->GetEditCtrl().SetSel(edittext::ByteOffsetOf(doc, pos), edittext::ByteOffsetOf(doc, pos));
        p.w.view->GetEditCtrl().ReplaceSel(s.put.c_str(), TRUE);
        p.w.Widget()->repaint();
        p.Refill();
        EXPECT_EQ(Rows(RowStarts(*Edit(p.w))), Rows(RowStarts(*p.ref))) << s.why;
    }
    // Backspace and Delete at each block break.
    for (const int j : Joins(*Edit(p.w)->document())) {
        QTextCursor c = Edit(p.w)->textCursor();
        c.setPosition(DocPosition(*Edit(p.w)->document(), j));
        Edit(p.w)->setTextCursor(c);
        const std::string before = p.w.Text();
        QTest::keyClick(p.w.Widget(), Qt::Key_Backspace);
        QTest::keyClick(p.w.Widget(), Qt::Key_Delete);
        p.Refill();
        const cp932::Lines was = cp932::DecodeLines(before.data(), before.size());
        const std::string bytes = p.w.Text();
        const cp932::Lines now = cp932::DecodeLines(bytes.data(), bytes.size());
        EXPECT_EQ(now.text, was.text.left(j - 1) + was.text.mid(j + 1)) << "the characters either side of a break";
        EXPECT_EQ(Rows(RowStarts(*Edit(p.w))), Rows(RowStarts(*p.ref))) << "after Backspace and Delete";
    }
    for (const int width : {300, 555, 420}) {
        p.w.host->GetWidget()->resize(width, 300);
        p.w.Widget()->resize(width, 300);
        p.ref->resize(Edit(p.w)->size());
        QApplication::processEvents();
        EXPECT_EQ(Rows(RowStarts(*Edit(p.w))), Rows(RowStarts(*p.ref))) << "resized to " << width;
    }
    // Undo takes every edit back, block breaks and rows too.
    while (Edit(p.w)->document()->isUndoAvailable())
        Edit(p.w)->undo();
    p.Refill();
    EXPECT_EQ(Hex(p.w.Text()), Hex(Line(20000, 4, false)));
    EXPECT_EQ(Rows(RowStarts(*Edit(p.w))), Rows(RowStarts(*p.ref))) << "after undo";
}

// Keys move the cursor through the line as they move it through one block.
TEST(ViewRows, KeysMoveAsInOneBlock)
{
    Pair p = Pair::Make(Line(20000, 5, false), 400, 600);
    const QTextDocument& doc = *Edit(p.w)->document();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* why;
    } keys[] = {
        {Qt::Key_Right, Qt::NoModifier, "Right"},         {Qt::Key_Left, Qt::NoModifier, "Left"},
        {Qt::Key_Down, Qt::NoModifier, "Down"},           {Qt::Key_Up, Qt::NoModifier, "Up"},
        {Qt::Key_Home, Qt::NoModifier, "Home"},           {Qt::Key_End, Qt::NoModifier, "End"},
        {Qt::Key_Right, Qt::ControlModifier, "Ctrl+Right"}, {Qt::Key_Left, Qt::ControlModifier, "Ctrl+Left"},
        {Qt::Key_Right, Qt::ShiftModifier, "Shift+Right"}, {Qt::Key_Left, Qt::ShiftModifier, "Shift+Left"},
        {Qt::Key_Down, Qt::ShiftModifier, "Shift+Down"},   {Qt::Key_End, Qt::ShiftModifier, "Shift+End"},
    };
    // Around the first two block breaks, and at the rows next to them.
    std::vector<int> starts;
    const std::vector<int> rows = RowStarts(*p.ref);
    for (const int j : Joins(doc, 2)) {
        for (int d = -3; d <= 3; ++d)
            starts.push_back(j + d);
        const auto row = std::upper_bound(rows.begin(), rows.end(), j) - 1;
        for (auto r = row - 1; r <= row + 1; ++r)
            for (int d : {0, 2, 7})
                starts.push_back(*r + d);
    }
    for (const int start : starts) {
        for (const auto& k : keys) {
            QTextCursor ours = Edit(p.w)->textCursor();
            ours.setPosition(DocPosition(doc, start));
            Edit(p.w)->setTextCursor(ours);
            QTextCursor theirs = p.ref->textCursor();
            theirs.setPosition(start);
            p.ref->setTextCursor(theirs);
            QTest::keyClick(p.w.Widget(), k.key, k.mods);
            QTest::keyClick(p.ref.get(), k.key, k.mods);
            const QTextCursor a = Edit(p.w)->textCursor();
            const QTextCursor b = p.ref->textCursor();
            EXPECT_EQ(TextOffset(doc, a.position()), b.position()) << k.why << " from " << start;
            EXPECT_EQ(TextOffset(doc, a.anchor()), b.anchor()) << k.why << " from " << start << ", anchor";
        }
    }
}

// A click puts the cursor where it does in one block; a selection across
// block breaks holds the text, and only the text, between its ends.
TEST(ViewRows, ClicksAndSelectionsAsInOneBlock)
{
    Pair p = Pair::Make(Line(20000, 6, false), 400, 600);
    QTextDocument& doc = *Edit(p.w)->document();
    const std::vector<int> joins = Joins(doc, 1);
    ASSERT_EQ(joins.size(), 1u);
    // Scroll both so that the first break is on screen.
    QTextCursor c = p.ref->textCursor();
    c.setPosition(joins[0]);
    p.ref->setTextCursor(c);
    p.ref->centerCursor();
    Edit(p.w)->verticalScrollBar()->setValue(p.ref->verticalScrollBar()->value());
    QApplication::processEvents();
    const QRect at = p.ref->cursorRect();
    for (int dy : {-1, 0, 1}) {
        for (int x = 2; x < p.ref->viewport()->width(); x += 9) {
            const QPoint point(x, at.center().y() + dy * at.height());
            QTest::mouseClick(Edit(p.w)->viewport(),
                              Qt::LeftButton, Qt::NoModifier, point);
            QTest::mouseClick(p.ref->viewport(), Qt::LeftButton, Qt::NoModifier, point);
            EXPECT_EQ(TextOffset(doc, Edit(p.w)->textCursor().position()), p.ref->textCursor().position())
                << "click at " << x << ", row " << dy;
        }
    }
    // A selection over the break: its bytes, as copied and as offsets.
    const std::string bytes = p.w.Text();
    const int from = edittext::ByteOffsetOf(doc, DocPosition(doc, joins[0] - 5));
    const int to = edittext::ByteOffsetOf(doc, DocPosition(doc, joins[0] + 5));
    p.w.view->GetEditCtrl().SetSel(from, to);
    int s = 0, e = 0;
    p.w.view->GetEditCtrl().GetSel(s, e);
    EXPECT_EQ(s, from);
    EXPECT_EQ(e, to);
    p.w.view->SendMessage(WM_COPY);
    EXPECT_EQ(Hex(viewtest::ClipboardBytes()), Hex(bytes.substr(from, to - from)));
}

// Composing with an input method at a block break, then committing.
TEST(ViewRows, InputMethodCompositionAtABlockBreak)
{
    Pair p = Pair::Make(Line(20000, 7, false), 400);
    const QTextDocument& doc = *Edit(p.w)->document();
    const int j = Joins(doc, 1).at(0);
    QTextCursor c = Edit(p.w)->textCursor();
    c.setPosition(DocPosition(doc, j));
    Edit(p.w)->setTextCursor(c);
    const std::string before = p.w.Text();
    QInputMethodEvent compose(QStringLiteral("にほんご"), {});
    QApplication::sendEvent(p.w.Widget(), &compose);
    p.w.Widget()->repaint();
    EXPECT_EQ(Hex(p.w.Text()), Hex(before)) << "nothing stored while composing";
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本語"));
    QApplication::sendEvent(p.w.Widget(), &commit);
    p.Refill();
    const cp932::Lines was = cp932::DecodeLines(before.data(), before.size());
    const std::string after = p.w.Text();
    EXPECT_EQ(cp932::DecodeLines(after.data(), after.size()).text,
              was.text.left(j) + QStringLiteral("日本語") + was.text.mid(j));
    EXPECT_EQ(Rows(RowStarts(*Edit(p.w))), Rows(RowStarts(*p.ref)));
    Edit(p.w)->undo();
    EXPECT_EQ(Hex(p.w.Text()), Hex(before));
}

// Composing with an input method where the rows are hardest to keep: the
// rows while composing and after the commit are those of one block, and one
// undo takes the commit back.
TEST(ViewRows, InputMethodCompositionKeepsTheRowsOfOneBlock)
{
    const std::string tabbed = Line(6000, 11, false) + "\t" + Line(18000, 12, false) + "\t";
    const struct {
        const char* why;
        std::string text;
        // Gets both ready (after the view's own changes the reference is
        // made again from its bytes); the text offset to compose at.
        int (*prepare)(Pair& p);
        bool longComposition = true;  // also one that reaches past a block break
    } rows[] = {
        {"a composition over a block break", Line(20000, 21, false),
         [](Pair& p) { return Joins(*Edit(p.w)->document(), 1).at(0) - 2; }, false},
        {"just after a tab", tabbed,
         [](Pair& p) {
             const std::string bytes = p.w.Text();
             const cp932::Lines lines = cp932::DecodeLines(bytes.data(), bytes.size());
             return static_cast<int>(lines.text.indexOf(QLatin1Char('\t'))) + 1;
         }},
        {"at the end of a paste", Line(20000, 22, false),
         [](Pair& p) {
             const std::string paste = Line(5000, 23, false);
             p.w.view->GetEditCtrl().SetSel(100, 100);
             p.w.view->GetEditCtrl().ReplaceSel(paste.c_str(), TRUE);
             p.Refill();
             return TextOffset(*Edit(p.w)->document(), Edit(p.w)->textCursor().position());
         },
         false},
        {"after a resize", Line(20000, 24, false),
         [](Pair& p) {
             p.w.host->GetWidget()->resize(333, 300);
             p.w.Widget()->resize(333, 300);
             p.ref->resize(Edit(p.w)->size());
             QApplication::processEvents();
             return Joins(*Edit(p.w)->document(), 2).at(1);
         }},
    };
    for (const auto& row : rows) {
        Pair p = Pair::Make(row.text, 400);
        const int at = row.prepare(p);
        const std::string before = p.w.Text();
        PlaceCursors(p, at);
        for (const QString& preedit : {QStringLiteral("\u306B"), QStringLiteral("\u306B\u307B\u3093\u3054\u306E\u3076\u3093")}) {
            if (preedit.size() > 1 && !row.longComposition)
                continue;
            Compose(p, preedit);
            EXPECT_EQ(FirstDifference(RowStarts(*Edit(p.w)), RowStarts(*p.ref), Joins(*Edit(p.w)->document(), 1000)), "")
                << row.why << ", composing " << preedit.size() << " at " << at;
            EXPECT_EQ(Hex(p.w.Text()), Hex(before)) << row.why << ": nothing stored while composing";
        }
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("\u65E5\u672C\u8A9E\u306E\u6587"));
        QApplication::sendEvent(p.w.Widget(), &commit);
        p.Refill();
        const cp932::Lines was = cp932::DecodeLines(before.data(), before.size());
        const std::string after = p.w.Text();
        EXPECT_EQ(cp932::DecodeLines(after.data(), after.size()).text,
                  was.text.left(at) + QStringLiteral("\u65E5\u672C\u8A9E\u306E\u6587") + was.text.mid(at))
            << row.why;
        EXPECT_EQ(Rows(RowStarts(*Edit(p.w))), Rows(RowStarts(*p.ref))) << row.why << ", committed";
        Edit(p.w)->undo();
        EXPECT_EQ(Hex(p.w.Text()), Hex(before)) << row.why << ", undone";
        p.Refill();
        EXPECT_EQ(Rows(RowStarts(*Edit(p.w))), Rows(RowStarts(*p.ref))) << row.why << ", undone";
    }
}

// A composition of several characters that ends at or just before a block
// break pushes the rest of its block into the row across the break: the
// rows while composing are those of one block.
TEST(ViewRows, ALongCompositionJustBeforeABlockBreakKeepsItsRow)
{
    const QString preedit = QStringLiteral("\u306B\u307B\u3093\u3054\u306E\u3076\u3093");
    // How far before the break the composition starts.
    for (const int back : {0, 1, 2, 3, 7, 40}) {
        Pair p = Pair::Make(Line(20000, 21, false), 400);
        const int at = Joins(*Edit(p.w)->document(), 1).at(0) - back;
        PlaceCursors(p, at);
        Compose(p, preedit);
        EXPECT_EQ(FirstDifference(RowStarts(*Edit(p.w)), RowStarts(*p.ref), Joins(*Edit(p.w)->document(), 1000)), "")
            << "composing " << back << " before the break";
    }
}

// A screen reader reads the line as the one line it is: its text, words
// and the cursor as in one block, and what it changes goes in as typing does.
TEST(ViewRows, AScreenReaderReadsOneLine)
{
    Pair p = Pair::Make(Line(12000, 8, false), 400);
    QAccessibleInterface* ours = QAccessible::queryAccessibleInterface(p.w.Widget());
    QAccessibleInterface* theirs = QAccessible::queryAccessibleInterface(p.ref.get());
    ASSERT_NE(ours, nullptr);
    ASSERT_NE(ours->textInterface(), nullptr);
    QAccessibleTextInterface* a = ours->textInterface();
    QAccessibleTextInterface* b = theirs->textInterface();
    EXPECT_EQ(a->characterCount(), b->characterCount());
    EXPECT_EQ(a->text(0, a->characterCount()), b->text(0, b->characterCount()));
    EXPECT_EQ(ours->text(QAccessible::Value), theirs->text(QAccessible::Value));
    const int j = Joins(*Edit(p.w)->document(), 1).at(0);
    for (int offset : {0, j - 1, j, j + 1}) {
        int s1 = 0, e1 = 0, s2 = 0, e2 = 0;
        EXPECT_EQ(a->textAtOffset(offset, QAccessible::WordBoundary, &s1, &e1),
                  b->textAtOffset(offset, QAccessible::WordBoundary, &s2, &e2));
        EXPECT_EQ(s1, s2);
        EXPECT_EQ(e1, e2);
    }
    QTextCursor c = Edit(p.w)->textCursor();
    c.setPosition(DocPosition(*Edit(p.w)->document(), j + 3));
    Edit(p.w)->setTextCursor(c);
    EXPECT_EQ(a->cursorPosition(), j + 3);

    // Pieces of the text, words, sentences and characters next to the break,
    // before and after an offset.
    EXPECT_EQ(a->text(j - 4, j + 4), b->text(j - 4, j + 4));
    using Boundary = QAccessible::TextBoundaryType;
    for (const Boundary type : {QAccessible::CharBoundary, QAccessible::WordBoundary,
                                QAccessible::SentenceBoundary, QAccessible::ParagraphBoundary,
                                QAccessible::NoBoundary}) {
        for (int offset : {j - 2, j, j + 2}) {
            int s1 = 0, e1 = 0, s2 = 0, e2 = 0;
            EXPECT_EQ(a->textBeforeOffset(offset, type, &s1, &e1), b->textBeforeOffset(offset, type, &s2, &e2))
                << "before " << offset << ", boundary " << type;
            EXPECT_EQ(std::make_pair(s1, e1), std::make_pair(s2, e2)) << "before " << offset << ", boundary " << type;
            EXPECT_EQ(a->textAfterOffset(offset, type, &s1, &e1), b->textAfterOffset(offset, type, &s2, &e2))
                << "after " << offset << ", boundary " << type;
            EXPECT_EQ(std::make_pair(s1, e1), std::make_pair(s2, e2)) << "after " << offset << ", boundary " << type;
        }
    }
    // A row on screen that two blocks share is read as one.
    const std::vector<int> rows = RowStarts(*p.ref);
    const auto row = std::upper_bound(rows.begin(), rows.end(), j) - 1;
    int s1 = 0, e1 = 0;
    a->textAtOffset(j, QAccessible::LineBoundary, &s1, &e1);
    EXPECT_EQ(s1, *row);
    EXPECT_GE(e1, *(row + 1) - 1);
    EXPECT_LE(e1, *(row + 1));

    // A selection made by the reader, and the one the user made, in offsets.
    a->setSelection(0, j - 2, j + 2);
    EXPECT_EQ(TextOffset(*Edit(p.w)->document(), Edit(p.w)->textCursor().selectionStart()), j - 2);
    EXPECT_EQ(TextOffset(*Edit(p.w)->document(), Edit(p.w)->textCursor().selectionEnd()), j + 2);
    int from = 0, to = 0;
    a->selection(0, &from, &to);
    EXPECT_EQ(std::make_pair(from, to), std::make_pair(j - 2, j + 2));

    // What the reader types goes in as the user's own typing: at the break,
    // a character code page 932 lacks as its stand-in, one undo step.
    QAccessibleEditableTextInterface* edit = ours->editableTextInterface();
    ASSERT_NE(edit, nullptr);
    const std::string before = p.w.Text();
    edit->insertText(j, QStringLiteral("\u65E5\u00E9"));
    const std::string after = p.w.Text();
    const cp932::Lines was = cp932::DecodeLines(before.data(), before.size());
    EXPECT_EQ(cp932::DecodeLines(after.data(), after.size()).text,
              was.text.left(j) + cp932::MakeStorable(QStringLiteral("\u65E5\u00E9")) + was.text.mid(j));
    EXPECT_EQ(a->characterCount(), b->characterCount() + 2);
    edit->deleteText(j, j + 2);
    EXPECT_EQ(Hex(p.w.Text()), Hex(before));
    Edit(p.w)->undo();
    Edit(p.w)->undo();
    EXPECT_EQ(Hex(p.w.Text()), Hex(before));
    Edit(p.w)->setReadOnly(true);
    edit->replaceText(0, 5, QStringLiteral("x"));
    EXPECT_EQ(Hex(p.w.Text()), Hex(before)) << "read-only";
}

// While something is being composed, a screen reader's rows are those on
// screen, in the text's own offsets: what is composed is not yet text, so
// a row that starts after it in its block starts that much earlier.
TEST(ViewRows, AScreenReaderReadsTheRowsWhileSomethingIsComposed)
{
    const QString preedit = QStringLiteral("\u306B\u307B\u3093\u3054\u306E\u3076\u3093");
    const int composed = static_cast<int>(preedit.size());
    Pair p = Pair::Make(Line(20000, 25, false), 400);
    const int j = Joins(*Edit(p.w)->document(), 1).at(0);
    const int at = j - 100;
    PlaceCursors(p, at);
    Compose(p, preedit);

    std::vector<int> rows;
    for (int start : RowStarts(*p.ref))
        rows.push_back(start <= at ? start : std::max(at, start - composed));
    QAccessibleTextInterface* a = QAccessible::queryAccessibleInterface(p.w.Widget())->textInterface();
    ASSERT_NE(a, nullptr);
    // Before the composition, just after it, rows after it in its block,
    // the row across the break and the next block's.
    for (int offset : {at - 5, at + 3, j - 60, j - 10, j, j + 5, j + 70}) {
        const auto row = std::upper_bound(rows.begin(), rows.end(), offset) - 1;
        ASSERT_NE(row + 1, rows.end()) << offset;
        int s = 0, e = 0;
        a->textAtOffset(offset, QAccessible::LineBoundary, &s, &e);
        EXPECT_EQ(s, *row) << "the row of offset " << offset << " (composing at " << at << ")";
        EXPECT_GE(e, *(row + 1) - 1) << "the row of offset " << offset;
        EXPECT_LE(e, *(row + 1)) << "the row of offset " << offset;
    }
}


