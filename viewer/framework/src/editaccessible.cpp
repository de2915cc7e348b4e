// What a screen reader is told of the edit control (see editaccessible.h).
#include "editaccessible.h"

#include "cp932text.h"
#include "editcontrol.h"
#include "editrows.h"
#include "edittext.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QAccessibleTextInterface>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Each block break inside a line stands for no character of the text.
// Positions are the document's, offsets the text's.
class Breaks {
public:
    void Read(const QTextDocument& doc)
    {
        m_after.clear();
        m_offsets.clear();
        if (!edittext::HasJoinedLines(doc))
            return;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            if (!edittext::GoesOnFromBefore(b))
                continue;
            m_offsets.push_back(b.position() - static_cast<int>(m_after.size()) - 1);
            m_after.push_back(b.position());
        }
    }

    int Count() const { return static_cast<int>(m_after.size()); }

    // A break and the start of the block after it are the same offset.
    int OffsetOf(int pos) const
    {
        return pos - static_cast<int>(std::upper_bound(m_after.begin(), m_after.end(), pos) - m_after.begin());
    }

    // At a break, the start of the block after it, where the cursor stays.
    int PositionOf(int offset) const
    {
        return offset
               + static_cast<int>(std::upper_bound(m_offsets.begin(), m_offsets.end(), offset) - m_offsets.begin());
    }

    // The document's characters from..to as the text's, each break inside
    // a line taken out and every line end read as one.
    QString Text(QString chars, int from, int to) const
    {
        QString out;
        out.reserve(chars.size());
        int done = 0;
        for (auto it = std::upper_bound(m_after.begin(), m_after.end(), from);
             it != m_after.end() && *it <= to; ++it) {
            const int at = *it - 1 - from;  // the break
            out.append(QStringView(chars).mid(done, at - done));
            done = at + 1;
        }
        out.append(QStringView(chars).mid(done));
        for (QChar& c : out) {
            if (c == QChar::ParagraphSeparator || c == QChar(cp932::kLineInBlock))
                c = QLatin1Char('\n');
        }
        return out;
    }

private:
    std::vector<int> m_after;    // the position of the block after each break
    std::vector<int> m_offsets;  // and its offset, less one
};

bool InLongLine(const QTextBlock& block)
{
    return edittext::GoesOnFromBefore(block) || edittext::GoesOnAfter(block);
}

class EditAccessible : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
public:
    explicit EditAccessible(EditControl* control) : QAccessibleWidget(control, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Value)
            return QAccessibleWidget::text(t);
        const QTextDocument& doc = Doc();
        return Read().Text(doc.toPlainText(), 0, doc.characterCount() - 1);
    }

    void setText(QAccessible::Text t, const QString& text) override
    {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        Control()->ReplaceText(0, Doc().characterCount() - 1, text);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectableText = true;
        s.multiLine = true;
        if (Control()->isReadOnly())
            s.readOnly = true;
        else
            s.editable = true;
        return s;
    }

    // Selection and cursor.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        const QTextCursor c = Control()->textCursor();
        if (selectionIndex != 0 || !c.hasSelection())
            return;
        const Breaks& breaks = Read();
        *startOffset = breaks.OffsetOf(c.selectionStart());
        *endOffset = breaks.OffsetOf(c.selectionEnd());
    }
    int selectionCount() const override { return Control()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex != 0)
            return;
        QTextCursor c = Control()->textCursor();
        c.clearSelection();
        Control()->setTextCursor(c);
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex != 0)
            return;
        const Breaks& breaks = Read();
        QTextCursor c = Control()->textCursor();
        c.setPosition(Clamped(breaks.PositionOf(startOffset)));
        c.setPosition(Clamped(breaks.PositionOf(endOffset)), QTextCursor::KeepAnchor);
        Control()->setTextCursor(c);
    }
    int cursorPosition() const override { return Read().OffsetOf(Control()->textCursor().position()); }
    void setCursorPosition(int position) override
    {
        QTextCursor c = Control()->textCursor();
        c.setPosition(Clamped(Read().PositionOf(position)));
        Control()->setTextCursor(c);
    }

    // Text.
    QString text(int startOffset, int endOffset) const override
    {
        const Breaks& breaks = Read();
        const int from = Clamped(breaks.PositionOf(std::max(0, startOffset)));
        const int to = Clamped(breaks.PositionOf(std::max(startOffset, endOffset)));
        QTextCursor c(const_cast<QTextDocument*>(&Doc()));
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        return breaks.Text(c.selectedText(), from, to);
    }
    int characterCount() const override { return Doc().characterCount() - 1 - Read().Count(); }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override
    {
        const std::pair<int, int> at = Boundaries(offset, type);
        return Answer(Boundaries(at.first - 1, type), startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override
    {
        const std::pair<int, int> at = Boundaries(offset, type);
        return Answer(Boundaries(at.second, type), startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override
    {
        return Answer(Boundaries(offset, type), startOffset, endOffset);
    }

    // Geometry.
    QRect characterRect(int offset) const override
    {
        const int pos = Clamped(Read().PositionOf(offset));
        QTextCursor c(const_cast<QTextDocument*>(&Doc()));
        c.setPosition(pos);
        QRect r = Control()->cursorRect(c);
        const QString ch = Doc().characterAt(pos);
        if (pos >= Doc().characterCount() - 1 || ch.isEmpty())
            return QRect();
        r.setWidth(QFontMetrics(Control()->font()).horizontalAdvance(ch));
        r.moveTopLeft(Control()->viewport()->mapToGlobal(r.topLeft()));
        return r;
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint p = Control()->viewport()->mapFromGlobal(point);
        if (!Control()->viewport()->rect().contains(p))
            return -1;
        return Read().OffsetOf(Control()->cursorForPosition(p).position());
    }
    // As Qt's own plain text edit: a reader scrolls by moving the cursor,
    // and moving it here would take the user's selection away.
    void scrollToSubstring(int, int) override {}

    // The font of the run of text an offset is in.
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        const int count = characterCount();
        if (offset == -2)
            offset = cursorPosition();
        if (offset == -1 || offset == count)
            offset = count - 1;
        *startOffset = *endOffset = -1;
        if (offset < 0 || offset > count)
            return QString();
        const Breaks& breaks = Read();
        const int pos = Clamped(breaks.PositionOf(offset));
        const QTextBlock block = Doc().findBlock(pos);
        QTextCharFormat format = block.charFormat();
        int from = block.position();
        int to = block.position() + block.length() - 1;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.contains(pos)) {
                format = f.charFormat();
                from = f.position();
                to = f.position() + f.length();
                break;
            }
        }
        *startOffset = breaks.OffsetOf(from);
        *endOffset = std::max(*startOffset, breaks.OffsetOf(to));
        const QFont font = format.font();
        QString out;
        QString family = font.family();
        if (!family.isEmpty()) {
            for (const QChar special : {QLatin1Char('\\'), QLatin1Char(':'), QLatin1Char(','), QLatin1Char('='),
                                        QLatin1Char(';'), QLatin1Char('"')})
                family.replace(special, QString(QLatin1Char('\\')) + special);
            out += QLatin1String("font-family:\"") + family + QLatin1String("\";");
        }
        if (font.pointSize() > 0)
            out += QLatin1String("font-size:") + QString::number(font.pointSize()) + QLatin1String("pt;");
        out += QLatin1String(font.weight() > QFont::Normal ? "font-weight:bold;" : "font-weight:normal;");
        out += QLatin1String(font.style() == QFont::StyleItalic    ? "font-style:italic;"
                             : font.style() == QFont::StyleOblique ? "font-style:oblique;"
                                                                   : "font-style:normal;");
        out += QLatin1String("text-position:baseline;");
        return out;
    }

    // Editing, as the user's own.
    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override
    {
        const Breaks& breaks = Read();
        Control()->ReplaceText(Clamped(breaks.PositionOf(startOffset)), Clamped(breaks.PositionOf(endOffset)),
                               text);
    }

private:
    EditControl* Control() const { return static_cast<EditControl*>(widget()); }
    const QTextDocument& Doc() const { return *Control()->document(); }

    int Clamped(int pos) const { return std::clamp(pos, 0, Doc().characterCount() - 1); }

    // The breaks as the text now has them.
    const Breaks& Read() const
    {
        const QTextDocument* doc = &Doc();
        const int changes = Control()->Changes();
        if (m_readFrom != doc || m_readAt != changes) {
            m_breaks.Read(*doc);
            m_readFrom = doc;
            m_readAt = changes;
        }
        return m_breaks;
    }

    QString Answer(std::pair<int, int> range, int* startOffset, int* endOffset) const
    {
        *startOffset = range.first;
        *endOffset = range.second;
        return text(range.first, range.second);
    }

    // Where the character, word, sentence, row, line or text that offset is
    // in starts and ends: Qt's answer, in a long line that of the line held
    // as one block.
    std::pair<int, int> Boundaries(int offset, QAccessible::TextBoundaryType type) const
    {
        const Breaks& breaks = Read();
        QTextDocument& doc = const_cast<QTextDocument&>(Doc());
        const int pos = Clamped(breaks.PositionOf(std::max(0, offset)));
        QTextCursor c(&doc);
        c.setPosition(pos);
        const QTextBlock block = c.block();
        auto mapped = [&breaks](std::pair<int, int> r) {
            return std::pair<int, int>(breaks.OffsetOf(r.first), breaks.OffsetOf(r.second));
        };
        if (!InLongLine(block) || type == QAccessible::NoBoundary)
            return mapped(QAccessible::qAccessibleTextBoundaryHelper(c, type));
        QTextBlock first = block;
        QTextBlock last = block;
        if (type == QAccessible::LineBoundary) {
            if (const std::pair<int, int> row = RowAround(block, pos); row.first >= 0)
                return mapped(row);
        }
        // Words and characters need a little of the line either side (a
        // word never runs past two blocks); sentences and the line all of it.
        const bool whole = type != QAccessible::CharBoundary && type != QAccessible::WordBoundary;
        for (int i = 0; edittext::GoesOnFromBefore(first) && (whole || i < 2); ++i)
            first = first.previous();
        for (int i = 0; edittext::GoesOnAfter(last) && (whole || i < 2); ++i)
            last = last.next();
        const int from = first.position();
        const int to = last.position() + last.length() - 1;
        if (type == QAccessible::ParagraphBoundary)
            return mapped({from, to});
        QString line;
        for (QTextBlock b = first;; b = b.next()) {
            line += b.text();
            if (b == last)
                break;
        }
        QTextDocument one;
        QTextCursor inOne(&one);
        inOne.insertText(line);
        const int base = breaks.OffsetOf(from);
        inOne.setPosition(breaks.OffsetOf(pos) - base);
        const std::pair<int, int> r = QAccessible::qAccessibleTextBoundaryHelper(inOne, type);
        return {base + r.first, base + r.second};
    }

    // The row on screen that pos is in, where the layout has it: its first
    // and last positions, as the End key finds the last.
    std::pair<int, int> RowAround(const QTextBlock& block, int pos) const
    {
        auto* rows = dynamic_cast<EditRowsLayout*>(Doc().documentLayout());
        if (rows == nullptr)
            return {-1, -1};
        rows->blockBoundingRect(block);
        const QTextLine line
            = block.layout()->lineForTextPosition(EditRowsLayout::LaidOutOffset(block, pos - block.position()));
        if (!line.isValid())
            return {-1, -1};
        const std::vector<EditRowsLayout::Part> row = rows->RowOf(block, line.lineNumber());
        if (row.empty())
            return {-1, -1};
        const EditRowsLayout::Part& head = row.front();
        const EditRowsLayout::Part& tail = row.back();
        const int start = EditRowsLayout::OwnOffset(head.block, head.block.layout()->lineAt(head.line).textStart());
        const int stop = tail.block.position() + EditRowsLayout::LineEnd(tail.block, tail.line);
        return {head.block.position() + start, std::min(stop, Doc().characterCount() - 1)};
    }

    mutable Breaks m_breaks;
    mutable const QTextDocument* m_readFrom = nullptr;
    mutable int m_readAt = -1;
};

}  // namespace

namespace editaccessible {

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className != QLatin1String("EditControl"))
        return nullptr;
    auto* control = qobject_cast<EditControl*>(object);
    return control != nullptr ? new EditAccessible(control) : nullptr;
}

void Claim(QObject* control)
{
    // Qt may have made its own while the widget was being built, before it
    // was an edit control.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
    if (iface != nullptr && dynamic_cast<EditAccessible*>(iface) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

}  // namespace editaccessible
