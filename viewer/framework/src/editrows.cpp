// The edit control's document layout (see editrows.h).
#include "editrows.h"

#include "edittext.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <climits>

namespace {

// What the row that crosses into the next block looks at there: enough
// characters for any row.
constexpr int kAhead = 640;

// The blocks of a line laid out at once to reach one asked for: about a
// frame's work. A block further on is laid out from where the blocks before
// it were last found to end, and again once they are all laid out.
constexpr int kChainAtOnce = 12;
constexpr qint64 kSliceNs = 6'000'000;

// The formats of the block's own text at their places in its laid-out
// text.
QList<QTextLayout::FormatRange> LaidOutFormats(const QTextBlock& block)
{
    QList<QTextLayout::FormatRange> formats = block.textFormats();
    const QTextLayout* tl = block.layout();
    const int composing = static_cast<int>(tl->preeditAreaText().size());
    if (composing == 0)
        return formats;
    const int at = tl->preeditAreaPosition();
    QList<QTextLayout::FormatRange> out;
    for (QTextLayout::FormatRange r : formats) {
        if (r.start >= at) {
            r.start += composing;
        } else if (r.start + r.length > at) {
            QTextLayout::FormatRange after = r;
            r.length = at - r.start;
            after.start = at + composing;
            after.length -= r.length;
            out.append(after);
        }
        out.append(r);
    }
    return out;
}

}  // namespace

QString EditRowsLayout::LaidOutText(const QTextBlock& block)
{
    QString text = block.text();
    const QTextLayout* tl = block.layout();
    if (!tl->preeditAreaText().isEmpty())
        text.insert(tl->preeditAreaPosition(), tl->preeditAreaText());
    return text;
}

int EditRowsLayout::OwnOffset(const QTextBlock& block, int laidOut)
{
    const QTextLayout* tl = block.layout();
    const int composed = static_cast<int>(tl->preeditAreaText().size());
    const int at = tl->preeditAreaPosition();
    if (composed == 0 || laidOut <= at)
        return laidOut;
    return std::max(at, laidOut - composed);
}

int EditRowsLayout::LaidOutOffset(const QTextBlock& block, int own)
{
    const QTextLayout* tl = block.layout();
    const int at = tl->preeditAreaPosition();
    return own > at ? own + static_cast<int>(tl->preeditAreaText().size()) : own;
}

int EditRowsLayout::LineEnd(const QTextBlock& block, int line)
{
    const QTextLayout* tl = block.layout();
    const QTextLine l = tl->lineAt(line);
    const int end = l.textStart() + l.textLength();
    if (line < tl->lineCount() - 1 && l.textLength() > 0 && LaidOutText(block).at(end - 1).isSpace())
        return OwnOffset(block, end - 1);
    return OwnOffset(block, end);
}

EditRowsLayout::EditRowsLayout(QTextDocument* doc)
    : QPlainTextDocumentLayout(doc), m_blockCount(doc->blockCount())
{
}

bool EditRowsLayout::IsJoined(const QTextBlock& block) const
{
    if (m_joinsEpoch != m_epoch) {
        m_hasJoins = edittext::HasJoinedLines(*document());
        m_joinsEpoch = m_epoch;
    }
    return m_hasJoins && (edittext::GoesOnFromBefore(block) || edittext::GoesOnAfter(block));
}

// As Qt's plain text layout has it: the width it was given, less the margins.
qreal EditRowsLayout::AvailableWidth() const
{
    qreal width = frameBoundingRect(document()->rootFrame()).width();
    if (width <= 0)
        width = qreal(INT_MAX);
    return width - 2 * document()->documentMargin();
}

bool EditRowsLayout::Hangs(const QTextBlock& block) const
{
    if (!block.isValid() || !IsJoined(block))
        return false;
    Ensure(block);
    const auto it = m_states.constFind(block.layout());
    return it != m_states.constEnd() && it->hangs;
}

QRectF EditRowsLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (!block.isValid() || !IsJoined(block))
        return QPlainTextDocumentLayout::blockBoundingRect(block);
    Ensure(block);
    const QTextLayout* tl = block.layout();
    const bool hangs = m_states.value(tl).hangs;
    const int owned = tl->lineCount() - (hangs ? 1 : 0);
    qreal right = 0;
    qreal bottom = 0;
    for (int i = 0; i < owned; ++i) {
        const QTextLine line = tl->lineAt(i);
        right = std::max(right, line.x() + std::max(line.width(), line.naturalTextWidth()));
        bottom = std::max(bottom, line.y() + qCeil(line.height()));
    }
    const qreal margin = document()->documentMargin();
    if (!block.next().isValid())
        bottom += margin;
    return QRectF(0, 0, right + margin, bottom);
}

// A block of a joined line is good when it was laid out here, with the
// first row going on from where the block before it now ends, and nothing
// after it changed its last row. Found good once, it stays so until the
// next change.
bool EditRowsLayout::IsGood(const QTextBlock& block, const State* state) const
{
    const QTextLayout* tl = block.layout();
    if (state == nullptr || tl->lineCount() == 0 || state->provisional)
        return false;
    if (state->epoch == m_epoch)
        return true;
    if (tl->lineCount() != state->lines || tl->lineAt(tl->lineCount() - 1).textStart() != state->lastStart
        || tl->lineAt(0).x() != document()->documentMargin() + state->entry)
        return false;
    qreal entry = 0;
    if (edittext::GoesOnFromBefore(block))
        entry = m_states.value(block.previous().layout()).exit;
    if (entry != state->entry)
        return false;
    const_cast<State*>(state)->epoch = m_epoch;
    return true;
}

void EditRowsLayout::Ensure(const QTextBlock& block) const
{
    // Back to the first block of the line that needs nothing, then forward.
    QTextBlock first = block;
    int chain = 0;
    while (edittext::GoesOnFromBefore(first)) {
        const QTextBlock before = first.previous();
        const auto it = m_states.constFind(before.layout());
        if (it != m_states.constEnd() && it->epoch == m_epoch && !it->provisional
            && before.layout()->lineCount() > 0)
            break;
        first = before;
        if (++chain > kChainAtOnce && !m_completing) {
            const auto own = m_states.constFind(block.layout());
            if (own == m_states.constEnd() || block.layout()->lineCount() == 0 || !own->provisional)
                LayOut(block, true);
            CompleteLater();
            return;
        }
    }
    for (QTextBlock b = first;; b = b.next()) {
        const auto it = m_states.constFind(b.layout());
        if (!IsGood(b, it == m_states.constEnd() ? nullptr : &*it))
            LayOut(b);
        if (b == block)
            break;
    }
}

int EditRowsLayout::RowEnd(const QTextBlock& block, int start, qreal x) const
{
    const QTextDocument* doc = document();
    QString text = LaidOutText(block).mid(start);
    const int ahead = static_cast<int>(text.size());
    QList<QTextLayout::FormatRange> formats;
    auto take = [&formats](const QTextBlock& b, int from, int offset) {
        for (QTextLayout::FormatRange r : LaidOutFormats(b)) {
            const int s = std::max(r.start, from);
            const int e = r.start + r.length;
            if (e <= s)
                continue;
            r.start = s - from + offset;
            r.length = e - s;
            formats.append(r);
        }
    };
    take(block, start, 0);
    // The next blocks' start, as far as a row can reach.
    bool more = false;
    for (QTextBlock b = block; edittext::GoesOnAfter(b) && text.size() < ahead + kAhead;) {
        b = b.next();
        const int offset = static_cast<int>(text.size());
        text += EditRowsLayout::LaidOutText(b).left(ahead + kAhead - offset);
        take(b, 0, offset);
        more = edittext::GoesOnAfter(b) || text.size() - offset < EditRowsLayout::LaidOutText(b).size();
    }
    for (QTextLayout::FormatRange& r : formats)
        r.length = std::min(r.length, static_cast<int>(text.size()) - r.start);
    QTextLayout layout(text, doc->defaultFont(), paintDevice());
    layout.setTextOption(doc->defaultTextOption());
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    line.setLineWidth(AvailableWidth() - x);
    line.setPosition(QPointF(doc->documentMargin() + x, 0));
    layout.endLayout();
    const int end = line.textLength();
    if (end >= text.size() && more)
        return -1;
    return end;
}

// Qt's plain text layout of a block, but for a joined line: the first row
// starts where the block before ends, and the last one ends where the
// line's row would, which may be before the block's end.
void EditRowsLayout::CompleteLater() const
{
    if (m_completionPending)
        return;
    m_completionPending = true;
    auto* self = const_cast<EditRowsLayout*>(this);
    QMetaObject::invokeMethod(self, [self] { self->Complete(); }, Qt::QueuedConnection);
}

void EditRowsLayout::Complete()
{
    m_completionPending = false;
    QElapsedTimer timer;
    timer.start();
    m_completing = true;
    bool more = false;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (!IsJoined(b))
            continue;
        const auto it = m_states.constFind(b.layout());
        if (it != m_states.constEnd() && it->epoch == m_epoch && !it->provisional && b.layout()->lineCount() > 0)
            continue;
        if (timer.nsecsElapsed() > kSliceNs) {
            more = true;
            break;
        }
        Ensure(b);
    }
    m_completing = false;
    emit update(QRectF(0., -document()->documentMargin(), 1000000000., 1000000000.));
    emit documentSizeChanged(documentSize());
    if (more)
        CompleteLater();
}

void EditRowsLayout::LayOut(const QTextBlock& block, bool provisional) const
{
    const QTextDocument* doc = document();
    const qreal margin = doc->documentMargin();
    const qreal available = AvailableWidth();
    QTextLayout* tl = block.layout();
    tl->setTextOption(doc->defaultTextOption());
    State state;
    if (edittext::GoesOnFromBefore(block))
        state.entry = m_states.value(block.previous().layout()).exit;
    const bool goesOn = edittext::GoesOnAfter(block);
    std::vector<qreal> widths;  // of lines that must end before their room does
    for (;;) {
        tl->beginLayout();
        qreal y = 0;
        for (int i = 0;; ++i) {
            QTextLine line = tl->createLine();
            if (!line.isValid())
                break;
            const qreal x = i == 0 ? state.entry : 0;
            line.setLeadingIncluded(true);
            line.setLineWidth(i < static_cast<int>(widths.size()) && widths[i] >= 0 ? widths[i]
                                                                                    : available - x);
            line.setPosition(QPointF(margin + x, y));
            y += line.height();
            if (line.leading() < 0)
                y += qCeil(line.leading());
        }
        tl->endLayout();
        state.hangs = false;
        state.exit = 0;
        if (!goesOn || tl->lineCount() == 0)
            break;
        const int lastIndex = tl->lineCount() - 1;
        const QTextLine last = tl->lineAt(lastIndex);
        const QString laidOut = LaidOutText(block);
        const int length = static_cast<int>(laidOut.size());
        const int ahead = length - last.textStart();
        const qreal x = lastIndex == 0 ? state.entry : 0;
        const int end = RowEnd(block, last.textStart(), x);
        if (end < 0 || end > ahead) {
            state.hangs = true;
            state.exit = last.cursorToX(length) - margin;
            break;
        }
        if (end == ahead)
            break;
        // The row ends before the block does: this line, and the rest in
        // a line of its own that goes on in the next block.
        QTextLayout probe(laidOut.mid(last.textStart(), end), doc->defaultFont(), paintDevice());
        QList<QTextLayout::FormatRange> formats;
        for (QTextLayout::FormatRange r : LaidOutFormats(block)) {
            const int s = std::max(r.start, last.textStart());
            const int e = std::min(r.start + r.length, last.textStart() + end);
            if (e > s) {
                r.start = s - last.textStart();
                r.length = e - s;
                formats.append(r);
            }
        }
        probe.setTextOption(doc->defaultTextOption());
        probe.setFormats(formats);
        probe.beginLayout();
        QTextLine row = probe.createLine();
        row.setLeadingIncluded(true);
        row.setLineWidth(available - x);
        row.setPosition(QPointF(margin + x, 0));
        probe.endLayout();
        widths.resize(static_cast<std::size_t>(lastIndex) + 1, -1);
        widths[static_cast<std::size_t>(lastIndex)] = row.naturalTextWidth();
    }
    state.lines = tl->lineCount();
    state.lastStart = state.lines > 0 ? tl->lineAt(state.lines - 1).textStart() : 0;
    state.epoch = m_epoch;
    state.provisional = provisional;
    m_states.insert(tl, state);

    const int owned = std::max(0, state.lines - (state.hangs ? 1 : 0));
    if (block.lineCount() != owned) {
        const_cast<QTextBlock&>(block).setLineCount(block.isVisible() ? owned : 0);
        if (!m_sizeChangePending) {
            m_sizeChangePending = true;
            auto* self = const_cast<EditRowsLayout*>(this);
            QMetaObject::invokeMethod(
                self,
                [self] {
                    self->m_sizeChangePending = false;
                    emit self->documentSizeChanged(self->documentSize());
                },
                Qt::QueuedConnection);
        }
    }
}

void EditRowsLayout::documentChanged(int from, int removed, int added)
{
    ++m_epoch;
    QTextDocument* doc = document();
    const int blocks = doc->blockCount();
    const bool sameBlocks = blocks == m_blockCount;
    m_blockCount = blocks;
    const QTextBlock first = doc->findBlock(from);
    const QTextBlock last = doc->findBlock(std::max(0, from + removed + added - 1));
    bool joined = false;
    for (QTextBlock b = first.previous().isValid() ? first.previous() : first; b.isValid(); b = b.next()) {
        joined = joined || IsJoined(b);
        if (b == last.next() || (b == last && !last.next().isValid()))
            break;
    }
    if (!joined) {
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
        return;
    }
    // The block before looks into the start of this one for its last row.
    if (edittext::GoesOnFromBefore(first) && from - first.position() < kAhead)
        QTextBlock(first.previous()).clearLayout();
    if (m_states.size() > 2 * blocks + 64) {
        // Layouts of blocks that are gone.
        QHash<const QTextLayout*, State> kept;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            const auto it = m_states.constFind(b.layout());
            if (it != m_states.constEnd())
                kept.insert(it.key(), it.value());
        }
        m_states.swap(kept);
    }
    if (first == last && sameBlocks && first.isValid()) {
        // Only this block's text changed: it is laid out again, and what
        // follows it in its line as far as the screen asks. (Qt keeps the
        // block's old lines until it is laid out again.)
        QTextBlock(first).clearLayout();
        Ensure(first);
        emit update(QRectF(0., -doc->documentMargin(), 1000000000., 1000000000.));
        return;
    }
    QPlainTextDocumentLayout::documentChanged(from, removed, added);
}

std::vector<EditRowsLayout::Part> EditRowsLayout::RowOf(const QTextBlock& block, int line) const
{
    std::vector<Part> row;
    if (!block.isValid())
        return row;
    if (IsJoined(block))
        Ensure(block);
    else
        ensureBlockLayout(block);
    row.push_back({block, line});
    // Left: the line that hangs into this block's first row.
    while (row.front().line == 0 && edittext::GoesOnFromBefore(row.front().block)
           && Hangs(row.front().block.previous())) {
        const QTextBlock before = row.front().block.previous();
        row.insert(row.begin(), Part{before, before.layout()->lineCount() - 1});
    }
    // Right: a last line that hangs into the next block's first row.
    while (row.back().line == row.back().block.layout()->lineCount() - 1 && Hangs(row.back().block)) {
        const QTextBlock after = row.back().block.next();
        Ensure(after);
        row.push_back({after, 0});
    }
    return row;
}

std::vector<EditRowsLayout::Part> EditRowsLayout::NextRow(const std::vector<Part>& row, bool down) const
{
    if (row.empty())
        return {};
    if (down) {
        const Part& p = row.back();
        if (p.line + 1 < p.block.layout()->lineCount())
            return RowOf(p.block, p.line + 1);
        const QTextBlock next = p.block.next();
        return next.isValid() ? RowOf(next, 0) : std::vector<Part>();
    }
    const Part& p = row.front();
    if (p.line > 0)
        return RowOf(p.block, p.line - 1);
    const QTextBlock before = p.block.previous();
    if (!before.isValid())
        return {};
    if (IsJoined(before))
        Ensure(before);
    else
        ensureBlockLayout(before);
    return RowOf(before, std::max(0, before.layout()->lineCount() - 1));
}
