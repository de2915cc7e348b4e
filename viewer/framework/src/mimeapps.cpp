// The desktop's lists of default applications (mimeapps.list and the older
// defaults.list; see mimeapps.h): a type's default read, and one line added
// and taken out again so that the list is as it was, byte for byte.
#include "mimeapps.h"

#include <algorithm>
#include <vector>

namespace mimeapps {
namespace {

const QString kDefaultGroup = QStringLiteral("[Default Applications]");

// What adding a default put into a list besides its line, so that taking
// it out again gives back the list byte for byte.
const QString kAddedGroup = QStringLiteral("group");      // the group, after a blank line
const QString kAddedLineEnd = QStringLiteral("line-end");  // a last line's missing end

// A line of the list: where it starts, where its text ends and where the
// next line starts.
struct ListLine {
    qsizetype start, end, next;
};

std::vector<ListLine> LinesOf(const QByteArray& list)
{
    std::vector<ListLine> lines;
    for (qsizetype at = 0; at < list.size();) {
        qsizetype nl = list.indexOf('\n', at);
        const qsizetype next = nl < 0 ? list.size() : nl + 1;
        qsizetype end = nl < 0 ? list.size() : nl;
        if (end > at && list[end - 1] == '\r')
            --end;
        lines.push_back({at, end, next});
        at = next;
    }
    return lines;
}

QString TextOf(const QByteArray& list, const ListLine& line)
{
    return QString::fromUtf8(list.mid(line.start, line.end - line.start)).trimmed();
}

}  // namespace

QString DefaultFor(const QByteArray& list, const QString& mimeType)
{
    bool inGroup = false;
    for (const QByteArray& raw : list.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == kDefaultGroup;
            continue;
        }
        if (inGroup && line.startsWith(mimeType + QLatin1Char('='))) {
            const QString apps = line.mid(mimeType.size() + 1).trimmed();
            if (!apps.isEmpty())
                return apps;
        }
    }
    return QString();
}

// The list with "type=entry;" added to its default group (made at the end if
// missing), in the list's own line ends; *pAdded says what else went in.
QByteArray WithDefault(const QByteArray& list, const QString& mimeType, const QString& entry,
                       QStringList* pAdded)
{
    const QByteArray eol = list.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    const QByteArray line = (mimeType + QLatin1Char('=') + entry + QLatin1Char(';')).toUtf8();
    QByteArray out = list;
    const bool endless = !list.isEmpty() && !list.endsWith('\n');
    for (const ListLine& l : LinesOf(list)) {
        if (TextOf(list, l) != kDefaultGroup)
            continue;
        if (l.next == l.end) {  // the group's header ends the list
            out.insert(l.next, eol + line + eol);
            pAdded->append(kAddedLineEnd);
        } else {
            out.insert(l.next, line + eol);
        }
        return out;
    }
    if (endless) {
        out += eol;
        pAdded->append(kAddedLineEnd);
    }
    if (!out.isEmpty())
        out += eol;
    out += kDefaultGroup.toUtf8() + eol + line + eol;
    pAdded->append(kAddedGroup);
    return out;
}

// The list without exactly what WithDefault added (as `added` says), the
// rest byte for byte; nullopt where the line is not there any more.
std::optional<QByteArray> WithoutAdded(const QByteArray& list, const QString& mimeType,
                                       const QString& entry, const QStringList& added)
{
    const QString wanted = mimeType + QLatin1Char('=') + entry + QLatin1Char(';');
    std::vector<ListLine> lines = LinesOf(list);
    auto ours = std::find_if(lines.begin(), lines.end(),
                             [&](const ListLine& l) { return TextOf(list, l) == wanted; });
    if (ours == lines.end())
        return std::nullopt;
    QByteArray out = list;
    qsizetype from = ours->start, to = ours->next;
    const auto index = ours - lines.begin();
    if (added.contains(kAddedGroup) && index > 0 && ours->next == list.size() &&
        TextOf(list, lines[index - 1]) == kDefaultGroup) {
        // the group made for the line, still holding nothing else, goes
        // with the blank line before it
        from = lines[index - 1].start;
        if (index > 1 && TextOf(list, lines[index - 2]).isEmpty())
            from = lines[index - 2].start;
    }
    if (added.contains(kAddedLineEnd) && to == list.size() && from > 0) {
        // the end the last line before lacked
        from = list[from - 1] == '\n' && from > 1 && list[from - 2] == '\r' ? from - 2 : from - 1;
    }
    out.remove(from, to - from);
    return out;
}

// The list without that one line; an emptied default group goes too (the
// records of earlier versions say nothing of what they added).
QByteArray WithoutDefault(const QByteArray& list, const QString& mimeType, const QString& entry,
                          bool* pFound)
{
    const QString wanted = mimeType + QLatin1Char('=') + entry + QLatin1Char(';');
    QList<QByteArray> lines = list.split('\n');
    *pFound = false;
    for (int i = 0; i < lines.size(); ++i) {
        if (QString::fromUtf8(lines[i]).trimmed() == wanted) {
            lines.removeAt(i);
            *pFound = true;
            break;
        }
    }
    // a group header followed by nothing of its own
    for (int i = 0; i < lines.size(); ++i) {
        if (QString::fromUtf8(lines[i]).trimmed() != kDefaultGroup)
            continue;
        int j = i + 1;
        while (j < lines.size() && lines[j].trimmed().isEmpty())
            ++j;
        if (j == lines.size() || lines[j].trimmed().startsWith('[')) {
            lines.erase(lines.begin() + i, lines.begin() + j);
            while (i > 0 && i <= lines.size() && lines[i - 1].trimmed().isEmpty() &&
                   (i == lines.size() || lines[i].trimmed().startsWith('[')))
                lines.removeAt(--i);
        }
        break;
    }
    QByteArray out = lines.join('\n');
    if (!out.trimmed().isEmpty() && !out.endsWith('\n'))
        out += '\n';
    return out.trimmed().isEmpty() ? QByteArray() : out;
}

}  // namespace mimeapps
