// A folder's entries under their bytes and their names as they read (see
// folderlist.h).
#include "folderlist.h"

#include "filename.h"

#include <QCollator>
#include <QCoreApplication>
#include <QFileIconProvider>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

namespace {

QString QtText(const char* context, const char* text, const char* comment = nullptr)
{
    return QCoreApplication::translate(context, text, comment);
}

// The entry's details as the file system has them; a link that leads
// nowhere is listed as a file of its own.
CFolderList::Entry MakeEntry(const std::string& folder, const std::string& name)
{
    CFolderList::Entry entry;
    entry.name = name;
    entry.shown = QString::fromStdString(AfxDisplayName(name));
    const std::string path = AfxChildPath(folder, name);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 || ::lstat(path.c_str(), &st) == 0) {
        entry.folder = S_ISDIR(st.st_mode);
        entry.size = static_cast<std::uint64_t>(st.st_size);
        entry.modified = QDateTime::fromMSecsSinceEpoch(
            static_cast<qint64>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
    }
    return entry;
}

QString TypeName(const CFolderList::Entry& entry)
{
    if (entry.folder)
        return QtText("QAbstractFileIconProvider", "Folder");
    // by the name alone: the contents would have to be read under a decoded name
    static const QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(entry.shown, QMimeDatabase::MatchExtension);
    if (!type.isDefault() && !type.comment().isEmpty())
        return type.comment();
    const qsizetype dot = entry.shown.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot + 1 < entry.shown.size())
        return QtText("QAbstractFileIconProvider", "%1 File").arg(entry.shown.mid(dot + 1));
    return QtText("QAbstractFileIconProvider", "File");
}

}  // namespace

std::vector<std::string> AfxFolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* pDir = ::opendir(folder.c_str());
    if (pDir == nullptr)
        return names;
    while (const dirent* pEntry = ::readdir(pDir)) {
        const std::string name = pEntry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(pDir);
    return names;
}

std::string AfxNameAsTyped(const std::string& folder, const QString& typed)
{
    const std::string bytes = typed.toStdString();
    const std::string* pFirst = nullptr;
    const std::vector<std::string> names = AfxFolderNames(folder);
    for (const std::string& name : names) {
        if (name == bytes)
            return name;
        if (pFirst == nullptr && AfxDisplayName(name) == bytes)
            pFirst = &name;
    }
    return pFirst != nullptr ? *pFirst : bytes;
}

CFolderList::CFolderList(QObject* pParent) : QAbstractTableModel(pParent) {}

bool CFolderList::Read(const std::string& folder)
{
    DIR* pDir = ::opendir(folder.c_str());
    if (pDir == nullptr)
        return false;
    ::closedir(pDir);
    beginResetModel();
    m_folder = folder;
    m_entries.clear();
    for (const std::string& name : AfxFolderNames(folder))
        m_entries.push_back(MakeEntry(folder, name));
    m_editable.clear();
    Arrange();
    endResetModel();
    return true;
}

void CFolderList::SetNameFilters(const QStringList& patterns)
{
    beginResetModel();
    m_patterns.clear();
    for (const QString& pattern : patterns) {
        m_patterns.emplace_back(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    }
    Arrange();
    endResetModel();
}

void CFolderList::SetShowHidden(bool bShow)
{
    beginResetModel();
    m_bShowHidden = bShow;
    Arrange();
    endResetModel();
}

bool CFolderList::Listed(const Entry& entry) const
{
    if (!m_bShowHidden && entry.name[0] == '.')
        return false;
    if (entry.folder || m_patterns.empty())
        return true;
    for (const QRegularExpression& pattern : m_patterns) {
        if (pattern.match(entry.shown).hasMatch())
            return true;
    }
    return false;
}

// Folders first, then by the column, as users know the list from Qt's.
void CFolderList::Arrange()
{
    m_rows.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (Listed(m_entries[i]))
            m_rows.push_back(i);
    }
    QCollator collator{QLocale()};
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto before = [&](std::size_t a, std::size_t b) {
        const Entry& l = m_entries[a];
        const Entry& r = m_entries[b];
        if (l.folder != r.folder)
            return l.folder;
        int order = 0;
        switch (m_sortColumn) {
        case kSize:
            order = l.size < r.size ? -1 : l.size > r.size ? 1 : 0;
            break;
        case kType:
            order = collator.compare(TypeName(l), TypeName(r));
            break;
        case kDate:
            order = l.modified < r.modified ? -1 : r.modified < l.modified ? 1 : 0;
            break;
        default:
            break;
        }
        if (order == 0)
            order = collator.compare(l.shown, r.shown);
        if (order == 0)
            order = l.name < r.name ? -1 : l.name > r.name ? 1 : 0;
        return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
    };
    std::stable_sort(m_rows.begin(), m_rows.end(), before);
}

const CFolderList::Entry* CFolderList::EntryAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= m_rows.size())
        return nullptr;
    return &m_entries[m_rows[static_cast<std::size_t>(index.row())]];
}

QModelIndex CFolderList::IndexOf(const std::string& name) const
{
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_entries[m_rows[row]].name == name)
            return index(static_cast<int>(row), kName);
    }
    return QModelIndex();
}

int CFolderList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CFolderList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant CFolderList::data(const QModelIndex& index, int role) const
{
    const Entry* pEntry = EntryAt(index);
    if (pEntry == nullptr)
        return QVariant();
    if (role == Qt::DecorationRole && index.column() == kName) {
        static const QFileIconProvider icons;
        return icons.icon(pEntry->folder ? QAbstractFileIconProvider::Folder
                                         : QAbstractFileIconProvider::File);
    }
    if (role == Qt::TextAlignmentRole && index.column() == kSize)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole)
        return QVariant();
    switch (index.column()) {
    case kName:
        return pEntry->shown;
    case kSize:
        // sizes and dates in Japanese: the program's locale, not the system's
        return pEntry->folder ? QString()
                              : QLocale().formattedDataSize(static_cast<qint64>(pEntry->size));
    case kType:
        return TypeName(*pEntry);
    case kDate:
        return QLocale().toString(pEntry->modified, QLocale::ShortFormat);
    default:
        return QVariant();
    }
}

Qt::ItemFlags CFolderList::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    const Entry* pEntry = EntryAt(index);
    if (pEntry != nullptr && index.column() == kName && !m_editable.empty() &&
        pEntry->name == m_editable)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CFolderList::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const Entry* pEntry = EntryAt(index);
    if (role != Qt::EditRole || pEntry == nullptr || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString typed = value.toString();
    if (typed.isEmpty() || typed.contains(QLatin1Char('/')) || typed == pEntry->shown)
        return false;
    const std::string name = typed.toStdString();
    const std::string from = AfxChildPath(m_folder, pEntry->name);
    const std::string to = AfxChildPath(m_folder, name);
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0 || std::rename(from.c_str(), to.c_str()) != 0)
        return false;  // a name taken stays the other entry's
    Entry renamed = MakeEntry(m_folder, name);
    beginResetModel();
    m_entries[m_rows[static_cast<std::size_t>(index.row())]] = renamed;
    m_editable.clear();
    Arrange();
    endResetModel();
    return true;
}

QVariant CFolderList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QVariant();
    switch (section) {
    case kName:
        return QtText("QFileSystemModel", "Name");
    case kSize:
        return QtText("QFileSystemModel", "Size");
    case kType:
        return QtText("QFileSystemModel", "Type", "All other platforms");
    case kDate:
        return QtText("QFileSystemModel", "Date Modified");
    default:
        return QVariant();
    }
}

void CFolderList::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<std::string> names;
    for (const QModelIndex& index : before) {
        const Entry* pEntry = EntryAt(index);
        names.push_back(pEntry != nullptr ? pEntry->name : std::string());
    }
    m_sortColumn = column;
    m_sortOrder = order;
    Arrange();
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i) {
        const QModelIndex moved = IndexOf(names[static_cast<std::size_t>(i)]);
        after.append(moved.isValid() ? index(moved.row(), before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}
