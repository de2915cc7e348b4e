// The selection as text for other programs (see editselection.h).
#include "editselection.h"

#include "edittext.h"

#include <QMetaObject>
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

// The selections offered and not taken yet.
std::vector<SelectionText*>& Offered()
{
    static std::vector<SelectionText*> offered;
    return offered;
}

bool g_bLater = false;

}  // namespace

SelectionText::Later::Later(bool later) : m_bWas(g_bLater)
{
    g_bLater = later;
}

SelectionText::Later::~Later()
{
    g_bLater = m_bWas;
}

SelectionText::SelectionText(const QTextDocument& doc, int from, int to)
    : m_doc(&doc), m_from(from), m_to(to)
{
    Offered().push_back(this);
    if (!g_bLater) {
        Take();
        return;
    }
    QMetaObject::invokeMethod(this, [this] { Take(); }, Qt::QueuedConnection);
}

SelectionText::~SelectionText()
{
    auto& offered = Offered();
    offered.erase(std::remove(offered.begin(), offered.end(), this), offered.end());
}

void SelectionText::TakeOffered()
{
    // Take() leaves the list.
    while (!Offered().empty())
        Offered().back()->Take();
}

// Taking the selection is a copy of its characters and the ends of the
// lines it spans.
void SelectionText::Take() const
{
    auto& offered = Offered();
    offered.erase(std::remove(offered.begin(), offered.end(), this), offered.end());
    if (m_doc.isNull())
        return;
    const QTextDocument& doc = *m_doc;
    m_doc.clear();
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(m_from);
    c.setPosition(m_to, QTextCursor::KeepAnchor);
    m_raw = c.selectedText();
    // Where no break stands for anything but CR LF, none needs looking at.
    m_bCrLfOnly = !edittext::HasOddLineEnds(doc);
    const qsizetype breaks = m_bCrLfOnly ? 0 : m_raw.count(QChar::ParagraphSeparator);
    if (breaks == 0)
        return;
    m_ends.reserve(static_cast<std::size_t>(breaks));
    const edittext::LineEnds ends(doc);
    for (QTextBlock block = doc.findBlock(m_from); m_ends.size() < static_cast<std::size_t>(breaks);
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
    Take();
    QByteArray bytes;
    qsizetype start = 0;
    std::size_t line = 0;
    for (qsizetype sep; (sep = m_raw.indexOf(QChar::ParagraphSeparator, start)) >= 0; start = sep + 1) {
        cp932::Encode(QStringView(m_raw).mid(start, sep - start), bytes);
        bytes.append(cp932::LineEndBytes(m_bCrLfOnly ? cp932::LineEnd::CrLf : m_ends.at(line++)));
    }
    cp932::Encode(QStringView(m_raw).mid(start), bytes);
    m_text = cp932::Decode(bytes);
    m_raw.clear();
    m_raw.squeeze();
    m_bConverted = true;
    return m_text;
}
