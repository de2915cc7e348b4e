// A folder's entries for the file dialogs' list: each kept under the bytes
// the file system names it by and shown under its name as it reads (see
// filename.h), with its size, type and date. Qt's own file system model keeps
// only decoded names, so a Shift_JIS or EUC-JP name would be missing from it
// or stand for another file.
#ifndef RUVOK_FOLDERLIST_H
#define RUVOK_FOLDERLIST_H

#include <QAbstractTableModel>
#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

class CFolderList : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kName, kSize, kType, kDate, kColumns };

    struct Entry {
        std::string name;  // as the folder holds it
        QString shown;     // as it reads
        bool folder = false;
        std::uint64_t size = 0;
        QDateTime modified;
    };

    explicit CFolderList(QObject* pParent = nullptr);

    // Lists the folder; false (and the list as it was) with errno when it
    // can't be read.
    bool Read(const std::string& folder);
    const std::string& Folder() const { return m_folder; }

    // Files are listed when their name matches one of the patterns ("*.txt",
    // "*"), in any case; folders always are. Names starting with "." only
    // while hidden entries are shown.
    void SetNameFilters(const QStringList& patterns);
    void SetShowHidden(bool bShow);
    bool ShowsHidden() const { return m_bShowHidden; }

    // The entry of a row, NULL for none.
    const Entry* EntryAt(const QModelIndex& index) const;
    // The row of the entry with these bytes, invalid when it is not listed.
    QModelIndex IndexOf(const std::string& name) const;
    // The one entry whose name can be edited in place: renaming it renames
    // the entry in the folder (a new folder takes its name that way).
    void SetEditable(const std::string& name) { m_editable = name; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void Arrange();
    bool Listed(const Entry& entry) const;

    std::string m_folder;
    std::vector<Entry> m_entries;
    std::vector<std::size_t> m_rows;  // the listed entries, in order
    std::vector<QRegularExpression> m_patterns;
    bool m_bShowHidden = false;
    int m_sortColumn = kName;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::string m_editable;
};

// The names in folder, as bytes; empty when it can't be read.
std::vector<std::string> AfxFolderNames(const std::string& folder);

// The name in folder that reads as typed: the entry whose bytes are the
// typed text's UTF-8 if there is one, else the first whose name reads so;
// the typed text's UTF-8 when no entry does (a new name).
std::string AfxNameAsTyped(const std::string& folder, const QString& typed);

#endif
