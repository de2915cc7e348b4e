// The edit control where a long line goes on from one block to the next
// (see edittext.h and editrows.h): a row on screen may then be the last line
// of one block and the first of the next, which Qt's plain text edit knows
// nothing of. Moves by row, Home and End, clicks and painting take such a row
// as the one row it is, and the cursor never rests at the end of a block that
// goes on, which is the same place as the next block's start.
#include "editcontrol.h"

#include "editselection.h"
#include "edittext.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

EditRowsLayout* EditControl::Rows() const
{
    return dynamic_cast<EditRowsLayout*>(document()->documentLayout());
}

bool EditControl::HasJoins() const
{
    return m_pPending == nullptr && Rows() != nullptr && edittext::HasJoinedLines(*document());
}

bool EditControl::IsBeforeJoin(int pos) const
{
    const QTextBlock block = document()->findBlock(pos);
    return block.isValid() && pos == block.position() + block.length() - 1 && edittext::GoesOnAfter(block);
}

int EditControl::PastJoin(int pos) const
{
    while (IsBeforeJoin(pos))
        ++pos;
    return pos;
}

std::vector<EditRowsLayout::Part> EditControl::RowAt(int pos) const
{
    const QTextBlock block = document()->findBlock(pos);
    if (!block.isValid())
        return {};
    Rows()->blockBoundingRect(block);
    const QTextLine line = block.layout()->lineForTextPosition(pos - block.position());
    return line.isValid() ? Rows()->RowOf(block, line.lineNumber()) : std::vector<EditRowsLayout::Part>();
}

// The position in row nearest x, as a move by row or a click finds it.
int EditControl::PositionInRow(const std::vector<EditRowsLayout::Part>& row, qreal x) const
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        const QTextLine line = row[i].block.layout()->lineAt(row[i].line);
        if (i + 1 == row.size() || x < line.x() + line.naturalTextWidth())
            return PastJoin(row[i].block.position() + line.xToCursor(x));
    }
    return -1;
}

bool EditControl::MoveByRow(bool down, bool keepAnchor)
{
    QTextCursor c = textCursor();
    const std::vector<EditRowsLayout::Part> row = RowAt(c.position());
    const std::vector<EditRowsLayout::Part> next = Rows()->NextRow(row, down);
    if (next.empty() || (row.size() < 2 && next.size() < 2)) {
        // Rows of one line each: Qt's own move, which keeps its own aim.
        m_rowX = -1;
        return false;
    }
    if (m_rowX < 0) {
        const QTextBlock block = c.block();
        const QTextLine line = block.layout()->lineForTextPosition(c.position() - block.position());
        m_rowX = line.cursorToX(c.position() - block.position());
    }
    const int pos = PositionInRow(next, m_rowX);
    if (pos < 0)
        return false;
    c.setPosition(pos, keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    const qreal aim = m_rowX;
    setTextCursor(c);
    ensureCursorVisible();
    m_rowX = aim;
    return true;
}

bool EditControl::event(QEvent* e)
{
    // What may change the text finds the selection offered before it taken.
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::InputMethod)
        SelectionText::TakeOffered();
    if (e->type() != QEvent::KeyPress)
        return QPlainTextEdit::event(e);
    // A key that selects offers the selection; the screen shows it first.
    const SelectionText::Later later;
    RealizeWhole();
    if (!HasJoins())
        return QPlainTextEdit::event(e);
    auto* k = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    const bool shift = (mods & Qt::ShiftModifier) != 0;
    const bool plain = (mods & ~Qt::ShiftModifier) == 0;
    if ((k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) && plain) {
        if (MoveByRow(k->key() == Qt::Key_Down, shift)) {
            e->accept();
            return true;
        }
        return QPlainTextEdit::event(e);
    }
    const bool paging = (k->key() == Qt::Key_PageUp || k->key() == Qt::Key_PageDown) && plain;
    qreal xBefore = m_rowX;
    if (!paging)
        m_rowX = -1;
    if (k->key() == Qt::Key_Backspace && !isReadOnly() && !textCursor().hasSelection()) {
        // The character before a block that goes on from the one before is
        // that one's last; the block break itself stands for nothing.
        QTextCursor c = textCursor();
        if (c.atBlockStart() && edittext::GoesOnFromBefore(c.block())) {
            c.setPosition(c.position() - 1);
            setTextCursor(c);
        }
    }
    const int before = textCursor().position();
    std::vector<EditRowsLayout::Part> rowBefore;
    if ((k->key() == Qt::Key_Home || k->key() == Qt::Key_End) && plain)
        rowBefore = RowAt(before);
    if (paging && xBefore < 0) {
        const QTextCursor c = textCursor();
        const QTextLine line = c.block().layout()->lineForTextPosition(c.positionInBlock());
        if (line.isValid())
            xBefore = line.cursorToX(c.positionInBlock());
    }
    const int changes = m_changes;
    const bool result = QPlainTextEdit::event(e);
    SettleAfterKey(k, before, changes, rowBefore, paging ? xBefore : -1);
    return result;
}

void EditControl::SettleAfterKey(QKeyEvent* e, int before, int changesBefore,
                                 const std::vector<EditRowsLayout::Part>& rowBefore, qreal xBefore)
{
    if (!HasJoins())
        return;
    QTextCursor c = textCursor();
    const bool shift = (e->modifiers() & Qt::ShiftModifier) != 0;
    const auto mode = shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    const bool byWord = (e->modifiers() & Qt::ControlModifier) != 0
                        && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right);
    if (byWord && m_changes == changesBefore) {
        // Qt stops a move by words at a block's ends; across a break inside
        // a line, the move is the one the two blocks' text as one gives.
        const int at = c.position();
        QTextBlock after;
        if (IsBeforeJoin(at))
            after = document()->findBlock(at).next();
        else if (c.atBlockStart() && edittext::GoesOnFromBefore(c.block()))
            after = c.block();
        const QTextBlock first = after.previous();
        if (after.isValid() && (first.contains(before) || after.contains(before))) {
            const QString text = first.text() + after.text();
            const int split = first.length() - 1;
            const int from = first.contains(before) && before - first.position() <= split
                                 ? before - first.position()
                                 : split + before - after.position();
            QTextLayout words(text);
            const int to = e->key() == Qt::Key_Right
                               ? words.nextCursorPosition(from, QTextLayout::SkipWords)
                               : words.previousCursorPosition(from, QTextLayout::SkipWords);
            if (to > 0 && to < text.size()) {
                c.setPosition(to < split ? first.position() + to : after.position() + to - split, mode);
                setTextCursor(c);
            }
        }
    }
    int pos = c.position();
    if (rowBefore.size() > 1) {
        // Home and End go to the ends of the row on screen.
        if (e->key() == Qt::Key_Home) {
            const EditRowsLayout::Part& p = rowBefore.front();
            pos = p.block.position()
                  + EditRowsLayout::OwnOffset(p.block, p.block.layout()->lineAt(p.line).textStart());
        } else {
            const EditRowsLayout::Part& p = rowBefore.back();
            pos = p.block.position() + EditRowsLayout::LineEnd(p.block, p.line);
        }
    } else if (xBefore >= 0) {
        const std::vector<EditRowsLayout::Part> row = RowAt(pos);
        if (row.size() > 1)
            pos = PositionInRow(row, xBefore);
        m_rowX = xBefore;
    }
    if (IsBeforeJoin(pos)) {
        if (m_changes == changesBefore && pos == before - 1) {
            // A move back onto the same place: on past it.
            QPlainTextEdit::event(e);
            c = textCursor();
            pos = c.position();
            if (!IsBeforeJoin(pos))
                return;
        }
        pos = PastJoin(pos);
    }
    const int anchor = PastJoin(c.anchor());
    if (pos == c.position() && anchor == c.anchor())
        return;
    const qreal aim = m_rowX;
    if (c.hasSelection() || shift) {
        c.setPosition(anchor);
        c.setPosition(pos, QTextCursor::KeepAnchor);
    } else {
        c.setPosition(pos, mode);
    }
    setTextCursor(c);
    ensureCursorVisible();
    m_rowX = aim;
}

// Where a click at point lands: Qt's answer, but in a row that two blocks
// share, the line of the one the point is over.
int EditControl::PositionAt(const QPointF& point) const
{
    const QTextCursor hit = cursorForPosition(point.toPoint());
    const QTextBlock block = hit.block();
    if (!edittext::GoesOnFromBefore(block) && !edittext::GoesOnAfter(block))
        return hit.position();
    // The row under the point, by its height: a position at a row's end
    // is the next row's start.
    const qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    const QTextLayout* tl = block.layout();
    int line = -1;
    for (int i = 0; i < tl->lineCount() && line < 0; ++i) {
        const QTextLine l = tl->lineAt(i);
        if (point.y() < top + l.y() + l.height())
            line = i;
    }
    const std::vector<EditRowsLayout::Part> row =
        Rows()->RowOf(block, line < 0 ? tl->lineCount() - 1 : line);
    if (row.size() < 2)
        return PastJoin(hit.position());
    return PositionInRow(row, point.x() - contentOffset().x());
}

bool EditControl::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != viewport())
        return QPlainTextEdit::eventFilter(watched, e);
    const QEvent::Type type = e->type();
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        SelectionText::TakeOffered();
        break;
    default:
        break;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
        && type != QEvent::MouseMove)
        return QPlainTextEdit::eventFilter(watched, e);
    m_rowX = -1;
    auto* m = static_cast<QMouseEvent*>(e);
    if ((type == QEvent::MouseMove && (m->buttons() & Qt::LeftButton) == 0) || m->button() == Qt::RightButton)
        return QPlainTextEdit::eventFilter(watched, e);
    // What Qt does with it, then the cursor where the point really is.
    viewportEvent(e);
    if (!HasJoins() || (type != QEvent::MouseMove && m->button() != Qt::LeftButton))
        return true;
    QTextCursor c = textCursor();
    // Qt moved the cursor to where it found the point (and did not, say,
    // start dragging the selection).
    if (cursorForPosition(m->position().toPoint()).position() != c.position()
        && !IsBeforeJoin(c.position()))
        return true;
    const int pos = PositionAt(m->position());
    if (pos < 0 || pos == c.position())
        return true;
    if (type == QEvent::MouseButtonDblClick) {
        c.setPosition(pos);
        c.select(QTextCursor::WordUnderCursor);
    } else {
        const bool keep = type == QEvent::MouseMove || (m->modifiers() & Qt::ShiftModifier) != 0;
        c.setPosition(pos, keep ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    }
    setTextCursor(c);
    return true;
}

// Qt paints the blocks whose rectangles meet the area; a line that hangs
// below its block's rectangle into the area is painted here when its block
// was not (it is above the screen, or outside the area).
void EditControl::PaintHangingLines(const QRect& area)
{
    EditRowsLayout* rows = Rows();
    const QPointF offset = contentOffset();
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return;
    QTextBlock b = block.previous().isValid() ? block.previous() : block;
    qreal top = b == block ? 0 : -blockBoundingRect(b).height();
    QPainter painter;
    const QAbstractTextDocumentLayout::PaintContext context = getPaintContext();
    for (; b.isValid(); b = b.next()) {
        const QRectF r = blockBoundingRect(b).translated(offset.x(), offset.y() + top);
        top += r.height();
        if (r.top() > viewport()->height())
            break;
        if (!rows->Hangs(b))
            continue;
        const bool painted = b != block.previous() && r.bottom() >= area.top() && r.top() <= area.bottom();
        QTextLayout* tl = b.layout();
        const QTextLine last = tl->lineAt(tl->lineCount() - 1);
        const QRectF hang(0, r.top() + last.y(), viewport()->width(), last.height());
        if (painted || !hang.intersects(area))
            continue;
        QVector<QTextLayout::FormatRange> selections;
        const int start = b.position();
        const int length = b.length();
        for (const QAbstractTextDocumentLayout::Selection& s : context.selections) {
            const int from = s.cursor.selectionStart() - start;
            const int to = s.cursor.selectionEnd() - start;
            if (from < length && to > 0 && to > from)
                selections.append({from, to - from, s.format});
        }
        if (!painter.isActive())
            painter.begin(viewport());
        painter.setClipRect(hang.toAlignedRect().intersected(area));
        tl->draw(&painter, r.topLeft(), selections, area);
        if (context.cursorPosition >= start && context.cursorPosition < start + length)
            tl->drawCursor(&painter, r.topLeft(), context.cursorPosition - start, cursorWidth());
    }
}
