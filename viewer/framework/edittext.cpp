// The edit control's byte text in a Qt document (see edittext.h).
#include "edittext.h"

#include <QTextDocument>

#include <algorithm>
#include <cstring>

namespace edittext {
namespace {

// A line end other than CR LF is marked in the character format of the
// block separator that stands for it. The mark goes wherever the separator
// goes: it leaves with the separator when lines are joined, and comes back
// with it when that is undone.
constexpr int kLineEndMark = QTextFormat::UserProperty + 1;
constexpr int kMarkCr = 1;
constexpr int kMarkLf = 2;

}  // namespace

// The line end after a block. A block's character format is that of the
// separator before it.
cp932::LineEnd EndOf(const QTextBlock& block)
{
    const QTextBlock next = block.next();
    if (!next.isValid())
        return cp932::LineEnd::CrLf;
    switch (next.charFormat().intProperty(kLineEndMark)) {
    case kMarkCr:
        return cp932::LineEnd::Cr;
    case kMarkLf:
        return cp932::LineEnd::Lf;
    default:
        return cp932::LineEnd::CrLf;
    }
}

// format, marked for a separator that stands for end.
QTextCharFormat Marked(QTextCharFormat format, cp932::LineEnd end)
{
    switch (end) {
    case cp932::LineEnd::Cr:
        format.setProperty(kLineEndMark, kMarkCr);
        break;
    case cp932::LineEnd::Lf:
        format.setProperty(kLineEndMark, kMarkLf);
        break;
    case cp932::LineEnd::CrLf:
        format.clearProperty(kLineEndMark);
        break;
    }
    return format;
}

// Inserts decoded lines at the cursor in format, each separator marked with
// its own line end.
void InsertLines(QTextCursor& cursor, const cp932::Lines& lines, const QTextCharFormat& format)
{
    const QTextCharFormat plain = Marked(format, cp932::LineEnd::CrLf);
    const QString& text = lines.text;
    auto odd = lines.oddEnds.begin();
    qsizetype from = 0;
    std::size_t line = 0;
    for (qsizetype i = 0; odd != lines.oddEnds.end() && i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\n'))
            continue;
        if (odd->line == line) {
            if (i > from)
                cursor.insertText(text.mid(from, i - from), plain);
            cursor.insertBlock(cursor.blockFormat(), Marked(plain, odd->end));
            from = i + 1;
            ++odd;
        }
        ++line;
    }
    if (from == 0)
        cursor.insertText(text, plain);
    else if (from < text.size())
        cursor.insertText(text.mid(from), plain);
}

// A text of very many lines costs the document a block per line, which
// is slow to build and large (a file of 655,360 LFs: over a second and
// 300 MB). Short CR LF lines of such a text share blocks instead, joined
// by line separators, which store as CR LF; a line with any other end
// still ends its block, so each block's own end stays as it was.
void GroupShortLines(cp932::Lines& lines)
{
    constexpr qsizetype kManyLines = 8192;   // below this, a block a line
    constexpr qsizetype kShortLine = 16;     // characters
    constexpr int kLinesPerBlock = 64;
    if (lines.text.count(QLatin1Char('\n')) < kManyLines)
        return;
    auto odd = lines.oddEnds.begin();
    std::size_t line = 0;
    std::size_t block = 0;
    int inBlock = 1;
    qsizetype lineStart = 0;
    QChar* text = lines.text.data();
    for (qsizetype i = 0; i < lines.text.size(); ++i) {
        if (text[i] != QLatin1Char('\n'))
            continue;
        const bool isOdd = odd != lines.oddEnds.end() && odd->line == line;
        if (isOdd) {
            odd->line = block;  // from here on, the number of its block
            ++odd;
        }
        if (!isOdd && i - lineStart < kShortLine && inBlock < kLinesPerBlock) {
            text[i] = QChar(cp932::kLineInBlock);
            ++inBlock;
        } else {
            ++block;
            inBlock = 1;
        }
        ++line;
        lineStart = i + 1;
    }
}

std::size_t LeadingLinesLength(const char* bytes, std::size_t n)
{
    if (n <= kScreenful)
        return n;
    const void* lf = std::memchr(bytes + kScreenful - 1, '\n', n - (kScreenful - 1));
    return lf == nullptr ? n : static_cast<std::size_t>(static_cast<const char*>(lf) - bytes) + 1;
}

void AppendBytes(const QTextDocument& doc, QByteArray& out)
{
    const QString raw = doc.toRawText();
    out.reserve(out.size() + raw.size() + raw.size() / 4);
    QTextBlock block = doc.begin();
    qsizetype start = 0;
    for (;;) {
        const qsizetype sep = raw.indexOf(QChar::ParagraphSeparator, start);
        const qsizetype end = sep < 0 ? raw.size() : sep;
        cp932::Encode(QStringView(raw).mid(start, end - start), out);
        if (sep < 0)
            break;
        out.append(cp932::LineEndBytes(EndOf(block)));
        block = block.next();
        start = sep + 1;
    }
}

QByteArray BytesBetween(const QTextDocument& doc, int from, int to)
{
    QByteArray out;
    QTextBlock block = doc.findBlock(from);
    while (block.isValid() && block.position() <= to) {
        const int bstart = block.position();
        const int bend = bstart + block.length() - 1;  // at the separator
        const int s = std::max(from, bstart);
        const int e = std::min(to, bend);
        if (e > s)
            cp932::Encode(QStringView(block.text()).mid(s - bstart, e - s), out);
        if (to > bend && block.next().isValid())
            out.append(cp932::LineEndBytes(EndOf(block)));
        block = block.next();
    }
    return out;
}

int ByteOffsetOf(const QTextDocument& doc, int pos)
{
    return static_cast<int>(BytesBetween(doc, 0, std::clamp(pos, 0, doc.characterCount() - 1)).size());
}

int PositionOfByteOffset(const QTextDocument& doc, int offset)
{
    if (offset < 0)
        return doc.characterCount() - 1;
    int bytes = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (qsizetype i = 0; i < text.size();) {
            const cp932::Unit unit = cp932::UnitAt(text, i);
            if (bytes + static_cast<int>(unit.bytes) > offset)
                return block.position() + static_cast<int>(i);
            bytes += static_cast<int>(unit.bytes);
            i += unit.units;
        }
        if (!block.next().isValid())
            return block.position() + static_cast<int>(text.size());
        const int endLen = static_cast<int>(std::strlen(cp932::LineEndBytes(EndOf(block))));
        if (bytes + endLen > offset)
            return block.position() + static_cast<int>(text.size());
        bytes += endLen;
    }
    return doc.characterCount() - 1;
}

int LineCount(const QTextDocument& doc)
{
    return doc.blockCount() + static_cast<int>(doc.toRawText().count(QChar(cp932::kLineInBlock)));
}

}  // namespace edittext
