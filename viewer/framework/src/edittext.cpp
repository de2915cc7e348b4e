// The edit control's byte text in a Qt document (see edittext.h).
#include "edittext.h"

#include <QTextDocument>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

namespace edittext {
namespace {

// A line end other than CR LF is marked in the character format of the
// block separator that stands for it. The mark goes wherever the separator
// goes: it leaves with the separator when lines are joined, and comes back
// with it when that is undone.
constexpr int kLineEndMark = QTextFormat::UserProperty + 1;
constexpr int kMarkCr = 1;
constexpr int kMarkLf = 2;
constexpr int kMarkNone = 3;

bool IsMarkedNone(const QTextBlock& block)
{
    return block.isValid() && block.charFormat().intProperty(kLineEndMark) == kMarkNone;
}

// Where a long line may go on in the next block: between two characters
// whose line breaks and character boundaries do not depend on what stands
// before them, so that each block lays out as the same stretch of the whole
// line does. Two kana or ideographs, or two ASCII letters or digits, are
// such a place; small kana, marks and spaces are not.
bool IsPlainWide(char16_t c)
{
    if (c >= 0x4E00 && c <= 0x9FFF)
        return true;
    if (c < 0x3041 || c > 0x30FA || (c > 0x3096 && c < 0x30A1))
        return false;
    static constexpr char16_t kSmall[] = u"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ";
    return std::char_traits<char16_t>::find(kSmall, std::size(kSmall) - 1, c) == nullptr;
}

bool IsPlainNarrow(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool IsJoinPlace(QStringView text, qsizetype i)
{
    const char16_t a = text[i - 1].unicode();
    const char16_t b = text[i].unicode();
    return (IsPlainWide(a) && IsPlainWide(b)) || (IsPlainNarrow(a) && IsPlainNarrow(b));
}

// Inserts one line (no line end in it), in blocks of about kJoinedBlock
// characters where it is long.
void InsertLine(QTextCursor& cursor, QStringView line, const QTextCharFormat& plain, bool join)
{
    constexpr qsizetype kSearch = 1536;  // characters past the ideal place to look for one
    qsizetype from = 0;
    // A tab's width is reckoned from where its line starts, and a block's
    // first line starts inside a row: no tab may come soon after a place.
    constexpr qsizetype kNoTab = 640;  // characters
    if (join && line.size() > kLongLine) {
        const QTextCharFormat none = Marked(plain, cp932::LineEnd::None);
        qsizetype at = kJoinedBlock;
        while (at + kJoinedBlock / 2 < line.size()) {
            const qsizetype limit = std::min(line.size() - 1, at + kSearch);
            qsizetype cut = at;
            while (cut < limit
                   && (!IsJoinPlace(line, cut) || line.mid(cut, kNoTab).contains(QLatin1Char('\t'))))
                ++cut;
            if (cut < limit) {
                cursor.insertText(line.mid(from, cut - from).toString(), plain);
                cursor.insertBlock(cursor.blockFormat(), none);
                from = cut;
            }
            at = cut + kJoinedBlock;
        }
    }
    if (from < line.size())
        cursor.insertText(line.mid(from).toString(), plain);
}

// A document whose blocks forget their kept bytes when they change.
constexpr const char* kTracked = "ruvokTrackedBytes";

// A block's bytes, its line end's included, as AppendBytes built them.
class BlockBytes : public QTextBlockUserData {
public:
    explicit BlockBytes(QByteArray b) : bytes(std::move(b)) {}
    QByteArray bytes;
};

// Each block a change touched forgets its bytes: its text, or the
// separator at its end and so its line end.
void ForgetBytes(const QTextDocument& doc, int position, int added)
{
    const QTextBlock last = doc.findBlock(position + added);
    for (QTextBlock block = doc.findBlock(position); block.isValid(); block = block.next()) {
        block.setUserData(nullptr);
        if (block == last)
            break;
    }
}

// Inserts text whose LFs are CR LF line ends (Qt makes each a block), each
// long line of it in several blocks.
void InsertText(QTextCursor& cursor, QStringView text, const QTextCharFormat& plain, bool join)
{
    qsizetype from = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != QLatin1Char('\n'))
            continue;
        if (i - start > kLongLine) {
            if (start > from)
                cursor.insertText(text.mid(from, start - from).toString(), plain);
            InsertLine(cursor, text.mid(start, i - start), plain, join);
            from = i;
        }
        start = i + 1;
    }
    if (from < text.size())
        cursor.insertText(text.mid(from).toString(), plain);
}

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
    case kMarkNone:
        return cp932::LineEnd::None;
    default:
        return cp932::LineEnd::CrLf;
    }
}

bool GoesOnFromBefore(const QTextBlock& block)
{
    return block.isValid() && block.previous().isValid() && IsMarkedNone(block);
}

bool GoesOnAfter(const QTextBlock& block)
{
    return block.isValid() && IsMarkedNone(block.next());
}

// The marks live in the document's few formats, not in its blocks.
bool HasOddLineEnds(const QTextDocument& doc)
{
    const QList<QTextFormat> formats = doc.allFormats();
    return std::any_of(formats.begin(), formats.end(),
                       [](const QTextFormat& f) { return f.intProperty(kLineEndMark) != 0; });
}

bool HasJoinedLines(const QTextDocument& doc)
{
    const QList<QTextFormat> formats = doc.allFormats();
    return std::any_of(formats.begin(), formats.end(),
                       [](const QTextFormat& f) { return f.intProperty(kLineEndMark) == kMarkNone; });
}

LineEnds::LineEnds(const QTextDocument& doc)
{
    const QList<QTextFormat> formats = doc.allFormats();
    m_byFormat.reserve(static_cast<std::size_t>(formats.size()));
    for (const QTextFormat& f : formats) {
        switch (f.intProperty(kLineEndMark)) {
        case kMarkCr:
            m_byFormat.push_back(cp932::LineEnd::Cr);
            break;
        case kMarkLf:
            m_byFormat.push_back(cp932::LineEnd::Lf);
            break;
        case kMarkNone:
            m_byFormat.push_back(cp932::LineEnd::None);
            break;
        default:
            m_byFormat.push_back(cp932::LineEnd::CrLf);
            break;
        }
    }
}

cp932::LineEnd LineEnds::After(const QTextBlock& block) const
{
    const QTextBlock next = block.next();
    if (!next.isValid())
        return cp932::LineEnd::CrLf;
    const int index = next.charFormatIndex();
    return index >= 0 && static_cast<std::size_t>(index) < m_byFormat.size()
               ? m_byFormat[static_cast<std::size_t>(index)]
               : EndOf(block);
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
    case cp932::LineEnd::None:
        format.setProperty(kLineEndMark, kMarkNone);
        break;
    case cp932::LineEnd::CrLf:
        format.clearProperty(kLineEndMark);
        break;
    }
    return format;
}

// Inserts decoded lines at the cursor in format, each separator marked with
// its own line end.
void InsertLines(QTextCursor& cursor, const cp932::Lines& lines, const QTextCharFormat& format,
                 bool join)
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
                InsertText(cursor, QStringView(text).mid(from, i - from), plain, join);
            cursor.insertBlock(cursor.blockFormat(), Marked(plain, odd->end));
            from = i + 1;
            ++odd;
        }
        ++line;
    }
    if (from == 0)
        InsertText(cursor, text, plain, join);
    else if (from < text.size())
        InsertText(cursor, QStringView(text).mid(from), plain, join);
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
    const std::size_t lines =
        lf == nullptr ? n : static_cast<std::size_t>(static_cast<const char*>(lf) - bytes) + 1;
    if (lines - kScreenful <= kScreenful)
        return lines;
    // A line that runs on far past the screenful is cut inside, after a
    // space. A space byte is never the first of a pair, so the text decodes
    // the same on either side of it; no run of letters reaches across it;
    // and the rest holds no tab soon after it, which the block breaks before
    // it looked for but could not see.
    constexpr std::size_t kNoTabBytes = 2 * 640;
    for (std::size_t i = kScreenful - 1; i + kNoTabBytes < lines && i < 2 * kScreenful; ++i) {
        if (bytes[i] != ' ')
            continue;
        if (std::memchr(bytes + i + 1, '\t', kNoTabBytes) == nullptr)
            return i + 1;
    }
    return lines;
}

void AppendBytes(const QTextDocument& doc, QByteArray& out)
{
    out.reserve(out.size() + doc.characterCount() + doc.characterCount() / 4);
    const LineEnds ends(doc);
    const bool keep = doc.property(kTracked).toBool();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (const auto* kept = static_cast<const BlockBytes*>(block.userData())) {
            out.append(kept->bytes);
            continue;
        }
        QByteArray bytes;
        cp932::Encode(block.text(), bytes);
        if (block.next().isValid())
            bytes.append(cp932::LineEndBytes(ends.After(block)));
        out.append(bytes);
        if (keep)
            QTextBlock(block).setUserData(new BlockBytes(std::move(bytes)));
    }
}

void TrackBytes(QTextDocument* doc)
{
    doc->setProperty(kTracked, true);
    QObject::connect(doc, &QTextDocument::contentsChange, doc,
                     [doc](int position, int, int added) { ForgetBytes(*doc, position, added); });
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
    int joined = 0;
    if (HasJoinedLines(doc)) {
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
            joined += IsMarkedNone(block) && block.previous().isValid() ? 1 : 0;
    }
    return doc.blockCount() - joined
           + static_cast<int>(doc.toRawText().count(QChar(cp932::kLineInBlock)));
}

}  // namespace edittext
