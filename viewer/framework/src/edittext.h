// The edit control's byte text in a Qt document: which line end each block
// break stands for, how code page 932 lines go in, and the bytes a document,
// a selection or a position stands for.
//
// The Qt document turns every line end into a block break. A line end other
// than CR LF is marked in the character format of the block separator that
// stands for it, so the mark goes wherever the separator goes (and comes
// back with it on undo). Short CR LF lines of a text of very many lines may
// share a block, joined by line separators (cp932::kLineInBlock). A long
// line is held in several blocks, each separator between them marked as no
// line end at all (cp932::LineEnd::None): laying a block out costs what is
// in it, and the line's blocks are laid out as the one line they are.
#ifndef RUVOK_EDITTEXT_H
#define RUVOK_EDITTEXT_H

#include "cp932text.h"

#include <QByteArray>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

#include <cstddef>
#include <vector>

class QTextDocument;

namespace edittext {

// The line end after a block (CR LF after the last one, which has none).
cp932::LineEnd EndOf(const QTextBlock& block);

// Whether the line a block holds goes on from the block before it, or in
// the block after it.
bool GoesOnFromBefore(const QTextBlock& block);
bool GoesOnAfter(const QTextBlock& block);

// A line longer than this many characters is held in blocks of about
// kJoinedBlock characters.
constexpr int kLongLine = 4096;
constexpr int kJoinedBlock = 2048;

// Whether any block break of doc stands for a line end other than CR LF:
// where none does, no block needs looking at for its end. Whether any
// stands for none at all (a long line held in several blocks).
bool HasOddLineEnds(const QTextDocument& doc);
bool HasJoinedLines(const QTextDocument& doc);

// The line ends of a document's blocks, read from its few formats once
// rather than from each block's format.
class LineEnds {
public:
    explicit LineEnds(const QTextDocument& doc);
    cp932::LineEnd After(const QTextBlock& block) const;

private:
    std::vector<cp932::LineEnd> m_byFormat;
};

// format, marked for a separator that stands for end.
QTextCharFormat Marked(QTextCharFormat format, cp932::LineEnd end);

// Inserts decoded lines at the cursor in format, each separator marked with
// its own line end; a long line goes in as several blocks where join is
// true (not in a text that wraps anywhere, whose rows the blocks would not
// keep).
void InsertLines(QTextCursor& cursor, const cp932::Lines& lines, const QTextCharFormat& format,
                 bool join = true);

// Joins short CR LF lines of a text of very many lines into shared blocks.
void GroupShortLines(cp932::Lines& lines);

// The length of a text's first lines that fill any window: up to the first
// LF at or after kScreenful bytes, or all of a text with none there; in a
// line that runs on far past that, up to a space in it. The rest of the
// text decodes the same by itself (an LF or a space is never part of a
// pair), so it can go in after them.
constexpr std::size_t kScreenful = 16 * 1024;
std::size_t LeadingLinesLength(const char* bytes, std::size_t n);

// The bytes of the whole document, appended to out. Each block's bytes are
// kept with it once built, until it changes, for documents that TrackBytes
// was called on.
void AppendBytes(const QTextDocument& doc, QByteArray& out);
void TrackBytes(QTextDocument* doc);

// The bytes the positions from..to stand for, line ends included.
QByteArray BytesBetween(const QTextDocument& doc, int from, int to);

// The byte offset of a character position, and back (a negative offset is
// the end). A character and its selector are one place.
int ByteOffsetOf(const QTextDocument& doc, int pos);
int PositionOfByteOffset(const QTextDocument& doc, int offset);

// The number of lines, counting those that share a block one by one.
int LineCount(const QTextDocument& doc);

}  // namespace edittext

#endif
