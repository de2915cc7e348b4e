// How the edit control lays its text out (see editlayout.h).
#include "editlayout.h"

#include "editrows.h"
#include "edittext.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace editlayout {
namespace {

// A run of text without a break opportunity longer than this makes Qt's
// word-boundary wrapping quadratic (each line searches the whole run for a
// boundary), so such a text wraps anywhere instead.
constexpr qsizetype kLongestWrappableWord = 2048;

// Laying out a line shapes all of it, and in a long line of Japanese text
// that takes most of the time: Qt shapes each run of one script by itself,
// and the script changes every few characters. Code page 932 text is drawn
// the same without shaping, except what isn't printable: the selector that
// marks a duplicate code (with the character it follows), the stand-in for
// an undecodable byte, a control character, a user-defined one. Shaping
// draws those as boxes, or not at all where they should not show; without
// it they would vanish or show as boxes wrongly. So a long line (one held in
// several blocks, or a block longer than edittext::kLongLine) is laid out
// unshaped but for those.
bool IsLong(const QTextBlock& block, bool joins)
{
    return block.length() > edittext::kLongLine
           || (joins && (edittext::GoesOnFromBefore(block) || edittext::GoesOnAfter(block)));
}

}  // namespace

// Whether text has a run of letters and digits with no space, tab or
// ideograph between them longer than kLongestWrappableWord.
bool HasOverlongWord(const QString& text)
{
    qsizetype run = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u' ' || c == u'\t' || c == u'\n' || c == cp932::kLineInBlock || c >= 0x2E80)
            run = 0;
        else if (++run > kLongestWrappableWord)
            return true;
    }
    return false;
}

bool HasOverlongWord(const char* bytes, std::size_t n)
{
    // Each character is a byte or more, and the bytes of a space, a tab and
    // a line end are those characters: without a long run of other bytes,
    // there is no long run of letters either.
    std::size_t run = 0;
    bool maybe = false;
    for (std::size_t i = 0; i < n && !maybe; ++i) {
        const char b = bytes[i];
        if (b == ' ' || b == '\t' || b == '\n' || b == '\r')
            run = 0;
        else
            maybe = ++run > static_cast<std::size_t>(kLongestWrappableWord);
    }
    return maybe && HasOverlongWord(cp932::DecodeLines(bytes, n).text);
}

bool NeedsShaping(QChar c)
{
    return !c.isPrint() && c != QLatin1Char('\t');
}

bool NeedsShaping(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return NeedsShaping(c); });
}

// format, shaped.
QTextCharFormat Shaped(QTextCharFormat format)
{
    format.setFontStyleStrategy(QFont::PreferDefault);
    return format;
}

// Sets where shaping is done over the document positions from..to, in the
// blocks there that are long.
void ShapeOnlyWhereNeeded(QTextDocument* doc, int from, int to)
{
    QTextCharFormat unshaped;
    unshaped.setFontStyleStrategy(QFont::PreferNoShaping);
    const QTextCharFormat shaped = Shaped();
    const bool joins = edittext::HasJoinedLines(*doc);
    QTextCursor c(doc);
    for (QTextBlock block = doc->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        if (!IsLong(block, joins))
            continue;
        const int base = block.position();
        const int first = std::max(from, base) - base;
        const int last = std::min(to, base + block.length() - 1) - base;
        auto apply = [&](int s, int e, const QTextCharFormat& format) {
            if (e <= s)
                return;
            c.setPosition(base + s);
            c.setPosition(base + e, QTextCursor::KeepAnchor);
            c.mergeCharFormat(format);
        };
        const QString text = block.text();
        int run = first;
        for (int i = first; i < last; ++i) {
            if (!NeedsShaping(text[i]))
                continue;
            // A selector goes with the character before it.
            const int s = text[i].isHighSurrogate() ? std::max(run, i - 1) : i;
            int e = i + 1;
            while (e < last && NeedsShaping(text[e]))
                ++e;
            apply(run, s, unshaped);
            apply(s, e, shaped);
            run = e;
            i = e - 1;
        }
        apply(run, last, unshaped);
    }
}

QTextDocument* NewDocument(const cp932::Lines& lines, const QTextDocument& like, QObject* parent)
{
    auto* doc = new QTextDocument(parent);
    doc->setDefaultFont(like.defaultFont());
    QTextOption option = like.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc->setDefaultTextOption(option);
    doc->setDocumentMargin(like.documentMargin());
    AppendLines(doc, lines);
    return doc;
}

void AppendLines(QTextDocument* doc, const cp932::Lines& lines)
{
    if (lines.text.isEmpty())
        return;
    const bool anywhere = HasOverlongWord(lines.text);
    if (anywhere) {
        QTextOption option = doc->defaultTextOption();
        option.setWrapMode(QTextOption::WrapAnywhere);
        doc->setDefaultTextOption(option);
    }
    const bool modified = doc->isModified();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    const int from = cursor.position();
    cursor.beginEditBlock();
    edittext::InsertLines(cursor, lines, QTextCharFormat(),
                          !anywhere && doc->defaultTextOption().wrapMode() != QTextOption::WrapAnywhere);
    // In the same step: a document that is laid out already would lay out
    // again each block whose format changes, one by one.
    ShapeOnlyWhereNeeded(doc, from, cursor.position());
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    doc->setModified(modified);
}

// Qt lays a block out in full wherever it needs any of it, and it needs
// some for nearly everything here: a text of one block is laid out at
// once on each change of its options or layout, the cursor's block when
// the widget takes the document, and the last screenful of blocks for
// the scroll bar. For a single long line each of those is most of the
// first paint's work. So the text goes in with everything already set,
// an empty block in front (where the cursor is) and a screenful of empty
// blocks behind; taking those out again leaves the text marked for one
// layout, which the first paint needs anyway.
void MoveIntoWidget(QPlainTextEdit& widget, QTextDocument* doc, qreal tabStopDistance)
{
    const QTextOption::WrapMode wrap = doc->defaultTextOption().wrapMode();
    doc->setDefaultFont(widget.font());
    QTextOption option = doc->defaultTextOption();
    option.setTabStopDistance(tabStopDistance);
    doc->setDefaultTextOption(option);
    doc->setUndoRedoEnabled(false);
    const int lines =
        widget.viewport()->height() / std::max(1, QFontMetrics(widget.font()).lineSpacing()) + 2;
    QTextCursor c(doc);
    c.insertBlock();
    c.setPosition(doc->characterCount() - 1);
    c.insertText(QString(lines, QLatin1Char('\n')));
    doc->setDocumentLayout(new EditRowsLayout(doc));
    widget.setDocument(doc);
    widget.setWordWrapMode(wrap);
    // By position: a cursor that moves by characters or lines lays out
    // what it passes.
    c.beginEditBlock();
    const int end = doc->characterCount() - 1;
    c.setPosition(end - lines);
    c.setPosition(end, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.setPosition(0);
    c.deleteChar();
    c.endEditBlock();
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
}

}  // namespace editlayout
