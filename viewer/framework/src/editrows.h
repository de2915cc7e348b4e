// The edit control's document layout: a long line that the control holds in
// several blocks (see edittext.h) wraps into the same rows as the one block
// it stands for would. Each block of such a line is laid out by itself, its
// first row going on where the block before it left off and its last row
// ending where the whole line's would; so a key costs the block it changes
// and the rows on screen, not the line. Every other block is laid out as
// Qt's plain text layout does.
//
// A row that a line's blocks share is the later block's: the earlier one's
// last line hangs below its own rectangle into that row.
#ifndef RUVOK_EDITROWS_H
#define RUVOK_EDITROWS_H

#include <QHash>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>

#include <vector>

class QTextLayout;

class EditRowsLayout : public QPlainTextDocumentLayout {
public:
    explicit EditRowsLayout(QTextDocument* doc);

    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Whether block's last line hangs into the row of the block after it.
    bool Hangs(const QTextBlock& block) const;

    // One line of one block, and the lines that make one row on screen, from
    // left to right.
    // A block's layout holds what the input method is composing at its
    // place; the block's own text does not. The laid-out text, and where a
    // place in it stands in the block's own text (a place inside or after
    // the composition moves back by what is composed before it).
    static QString LaidOutText(const QTextBlock& block);
    static int OwnOffset(const QTextBlock& block, int laidOut);
    static int LaidOutOffset(const QTextBlock& block, int own);
    // Where a line of the block ends in the block's own text, without the
    // space the line wrapped at (as the End key stops before it), unless
    // it is the block's last line.
    static int LineEnd(const QTextBlock& block, int line);

    struct Part {
        QTextBlock block;
        int line;
    };
    std::vector<Part> RowOf(const QTextBlock& block, int line) const;
    // The row after (down) or before the one these parts make, empty at the
    // document's end.
    std::vector<Part> NextRow(const std::vector<Part>& row, bool down) const;

protected:
    void documentChanged(int from, int removed, int added) override;

private:
    struct State {
        quint64 epoch = 0;   // of the change it was last found good in
        qreal entry = 0;     // where the first row starts
        qreal exit = 0;      // where the next block's first row starts (0: a row of its own)
        int lines = 0;       // as laid out, to tell a layout of Qt's own
        int lastStart = 0;
        bool hangs = false;
        bool provisional = false;   // laid out before the blocks before it
    };

    bool IsJoined(const QTextBlock& block) const;
    qreal AvailableWidth() const;
    // Lays block out if it is not as its line's rows need; the blocks before
    // it in the line first.
    void Ensure(const QTextBlock& block) const;
    bool IsGood(const QTextBlock& block, const State* state) const;
    void LayOut(const QTextBlock& block, bool provisional = false) const;
    // Lays out, a few at a time while nothing else waits, the blocks that
    // were laid out before the blocks before them; then repaints.
    void CompleteLater() const;
    void Complete();
    // Where the row that starts at position start of block and x (from the
    // margin) ends, counted from start, looking on into the next block;
    // -1 where the whole rest of block and the next one's start fit.
    int RowEnd(const QTextBlock& block, int start, qreal x) const;

    mutable QHash<const QTextLayout*, State> m_states;
    mutable quint64 m_epoch = 1;
    mutable bool m_hasJoins = false;
    mutable quint64 m_joinsEpoch = 0;
    mutable bool m_sizeChangePending = false;
    mutable bool m_completionPending = false;
    bool m_completing = false;
    int m_blockCount = 1;
};

#endif
