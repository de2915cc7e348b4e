// The selection as text for other programs (see editselection.h).
#include "editselection.h"

#include "edittext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

const QString& PlainText()
{
    static const QString kPlain = QStringLiteral("text/plain");
    return kPlain;
}

}  // namespace

// Taking the selection is a copy of its characters and the ends of the
// lines it spans; Qt offers a new one at every change of the selection, and
// most are never asked for.
SelectionText::SelectionText(const QTextDocument& doc, int from, int to)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    m_raw = c.selectedText();
    const qsizetype breaks = m_raw.count(QChar::ParagraphSeparator);
    if (breaks == 0)
        return;
    m_ends.reserve(static_cast<std::size_t>(breaks));
    const edittext::LineEnds ends(doc);
    for (QTextBlock block = doc.findBlock(from); m_ends.size() < static_cast<std::size_t>(breaks);
         block = block.next())
        m_ends.push_back(ends.After(block));
}

QStringList SelectionText::formats() const
{
    return {PlainText()};
}

bool SelectionText::hasFormat(const QString& mimeType) const
{
    return mimeType == PlainText();
}

QVariant SelectionText::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType != PlainText())
        return QMimeData::retrieveData(mimeType, type);
    return Converted();
}

// The text as its bytes read back: each line end as the bytes it stands
// for, each character as the code page gives it back.
const QString& SelectionText::Converted() const
{
    if (m_bConverted)
        return m_text;
    QByteArray bytes;
    qsizetype start = 0;
    for (const cp932::LineEnd end : m_ends) {
        const qsizetype sep = m_raw.indexOf(QChar::ParagraphSeparator, start);
        cp932::Encode(QStringView(m_raw).mid(start, sep - start), bytes);
        bytes.append(cp932::LineEndBytes(end));
        start = sep + 1;
    }
    cp932::Encode(QStringView(m_raw).mid(start), bytes);
    m_text = cp932::Decode(bytes);
    m_raw.clear();
    m_raw.squeeze();
    m_bConverted = true;
    return m_text;
}
