// The recent-file list in the settings and the File menu (see recentfiles.h).
#include "recentfiles.h"

#include "filename.h"
#include "menuitems.h"
#include "qstrings.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <cstdio>

std::string AfxAbbreviateName(const std::string& path, int nMaxLength)
{
    const QString full = AfxQText(AfxDisplayName(path));
    if (full.size() <= nMaxLength)
        return full.toStdString();
#ifdef _WIN32
    const QChar sep = QLatin1Char('\\');
#else
    const QChar sep = QLatin1Char('/');
#endif
    QStringList parts = full.split(sep);
    const QString name = parts.last();
    if (parts.size() < 3 || name.size() + 4 > nMaxLength)
        return name.toStdString();  // the name alone, never cut

    // The first folder stays ("/home", "C:\Users"), then "...", then as many
    // of the last folders as fit before the name.
    const QString ellipsis = QStringLiteral("...");
    int head = 1;
    if (parts[0].isEmpty() || parts[0].endsWith(QLatin1Char(':')))
        head = 2;  // "/home/..." and "C:\dir\..." keep their first folder
    if (head >= parts.size() - 1)
        head = parts.size() - 2;
    QString prefix = QStringList(parts.mid(0, head)).join(sep);
    QString tail = name;
    if (prefix.size() + 1 + ellipsis.size() + 1 + tail.size() > nMaxLength) {
        prefix.clear();  // "...\name" where even the first folder is too long
        if (ellipsis.size() + 1 + tail.size() > nMaxLength)
            return name.toStdString();
    }
    const QString start = prefix.isEmpty() ? ellipsis : prefix + sep + ellipsis;
    for (int i = parts.size() - 2; i >= head; --i) {
        const QString longer = parts[i] + sep + tail;
        if (start.size() + 1 + longer.size() > nMaxLength)
            break;
        tail = longer;
    }
    return (start + sep + tail).toStdString();
}

CRecentFileList::CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat,
                                 int nSize, int nMaxDispLen)
    : m_nStart(nStart), m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat),
      m_nSize(nSize), m_nMaxDisplayLength(nMaxDispLen)
{
}

CRecentFileList::~CRecentFileList() = default;

void CRecentFileList::Add(LPCTSTR lpszPathName)
{
    if (lpszPathName == nullptr || *lpszPathName == '\0' || m_nSize <= 0)
        return;
    const std::string path = lpszPathName;
    m_arrNames.erase(std::remove(m_arrNames.begin(), m_arrNames.end(), path), m_arrNames.end());
    m_arrNames.insert(m_arrNames.begin(), path);
    if (static_cast<int>(m_arrNames.size()) > m_nSize)
        m_arrNames.resize(static_cast<size_t>(m_nSize));
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex >= 0 && nIndex < GetCount())
        m_arrNames.erase(m_arrNames.begin() + nIndex);
}

std::string CRecentFileList::GetMenuText(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return std::string();
    std::string name = AfxAbbreviateName(m_arrNames[nIndex], m_nMaxDisplayLength);
    std::string doubled;
    for (char c : name) {
        doubled += c;
        if (c == '&')
            doubled += '&';  // a literal "&", not a mnemonic
    }
    char number[16];
    std::snprintf(number, sizeof number, "&%d ", nIndex + 1);
    return number + doubled;
}

namespace {

QString EntryName(const std::string& format, int n)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format.c_str(), n);
    return QString::fromLatin1(buf);
}

// A path that is not UTF-8 is kept as a file: URI, so that the settings stay
// a text file and the path's bytes come back as they were; an absolute path
// never starts with "file:".
std::string SettingFromPath(const std::string& path)
{
#ifdef _WIN32
    return path;  // the registry holds the code page's characters
#else
    return AfxIsUtf8(path) ? path : AfxFileUriFromPath(path);
#endif
}

std::string PathFromSetting(const std::string& value)
{
    std::string path;
    if (value.compare(0, 5, "file:") == 0 && AfxPathFromFileUri(value, path))
        return path;
    return value;
}

}  // namespace

void CRecentFileList::ReadList()
{
    if (!m_settings.read)
        return;
    m_arrNames.clear();
    for (int i = 1; i <= m_nSize; ++i) {
        std::string name = PathFromSetting(m_settings.read(
            m_strSectionName.c_str(), EntryName(m_strEntryFormat, i).toLatin1().constData()));
        if (!name.empty() &&
            std::find(m_arrNames.begin(), m_arrNames.end(), name) == m_arrNames.end())
            m_arrNames.push_back(name);
    }
}

void CRecentFileList::WriteList()
{
    if (!m_settings.write)
        return;
    std::vector<std::string> values;
    for (int i = 1; i <= GetCount(); ++i)
        values.push_back(SettingFromPath(m_arrNames[i - 1]));
    std::vector<std::pair<std::string, const char*>> entries;
    for (int i = 1; i <= m_nSize; ++i) {
        // an unused entry is removed rather than left empty
        entries.emplace_back(EntryName(m_strEntryFormat, i).toLatin1().toStdString(),
                             i <= GetCount() ? values[i - 1].c_str() : nullptr);
    }
    m_settings.write(m_strSectionName.c_str(), entries);
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) const
{
    QMenu* pMenu = pCmdUI->m_pMenu;
    const QList<QAction*> all = pMenu != nullptr ? pMenu->actions() : QList<QAction*>();
    const int at = static_cast<int>(pCmdUI->m_nIndex);
    if (at < 0 || at >= all.size()) {
        pCmdUI->Enable(GetCount() > 0);  // not a menu: the first entry alone
        return;
    }
    // The items of the list as the menu has them now: the place holder, or
    // the entries of the last time, one after the other.
    QAction* pFirst = all[at];
    QList<QAction*> rest;
    for (int i = at + 1; i < all.size(); ++i) {
        const UINT nID = all[i]->data().toUInt();
        if (all[i]->isSeparator() || nID < m_nStart || nID >= m_nStart + static_cast<UINT>(m_nSize))
            break;
        rest.append(all[i]);
    }
    if (m_strPlaceHolder.empty())
        m_strPlaceHolder = pFirst->text().toStdString();

    if (GetCount() == 0) {
        for (QAction* pAction : rest) {
            pMenu->removeAction(pAction);
            pAction->deleteLater();
        }
        pFirst->setText(QString::fromStdString(m_strPlaceHolder));
        pCmdUI->Enable(FALSE);  // grayed while the list is empty
        pCmdUI->m_nIndexMax = static_cast<UINT>(pMenu->actions().size());
        return;
    }

    // Only what changed is touched: the menu is brought up to date at every
    // idle moment.
    pFirst->setText(AfxQText(GetMenuText(0)));
    for (int i = 1; i < GetCount(); ++i) {
        const QString text = AfxQText(GetMenuText(i));
        if (i - 1 < rest.size()) {
            QAction* pAction = rest[i - 1];
            if (pAction->text() != text)
                pAction->setText(text);
            pAction->setData(m_nStart + static_cast<UINT>(i));
            pAction->setEnabled(true);
        } else {
            // after the last entry in the menu
            const QList<QAction*> now = pMenu->actions();
            const qsizetype next = now.indexOf(rest.isEmpty() ? pFirst : rest.last()) + 1;
            QAction* pBefore = next < now.size() ? now[next] : nullptr;
            QAction* pAction = AfxInsertMenuItem(pMenu, pBefore, m_nStart + static_cast<UINT>(i),
                                                 GetMenuText(i));
            rest.append(pAction);
        }
    }
    while (rest.size() > GetCount() - 1) {
        QAction* pAction = rest.takeLast();
        pMenu->removeAction(pAction);
        pAction->deleteLater();
    }
    pCmdUI->Enable(TRUE);
    pCmdUI->m_nIndex = static_cast<UINT>(at + GetCount() - 1);
    pCmdUI->m_nIndexMax = static_cast<UINT>(pMenu->actions().size());
}
