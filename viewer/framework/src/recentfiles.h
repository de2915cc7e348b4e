// The recent-file list: the last files opened or saved, newest first, kept
// in the settings and shown in the File menu in place of its first entry's
// item ("&1 " and the name cut to fit). A path that is not UTF-8 is kept in
// the settings as a file: URI, so that its bytes come back as they were.
#ifndef RUVOK_RECENTFILES_H
#define RUVOK_RECENTFILES_H

#include "afx.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Where the list keeps its entries, handed in by the settings' owner: one
// entry of a section read ("" where there is none), and a section's entries
// written at once (a NULL value removes its entry).
struct AfxRecentFileSettings {
    std::function<std::string(const char* section, const char* entry)> read;
    std::function<BOOL(const char* section,
                       const std::vector<std::pair<std::string, const char*>>& entries)>
        write;
};

class CRecentFileList {
public:
    // nStart: the first menu id; lpszSection and lpszEntryFormat ("File%d")
    // name the settings; nMaxDispLen cuts the names shown.
    CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize,
                    int nMaxDispLen);
    virtual ~CRecentFileList();

    int GetSize() const { return m_nSize; }
    // The number of entries in use.
    int GetCount() const { return static_cast<int>(m_arrNames.size()); }
    const std::string& operator[](int nIndex) const { return m_arrNames[nIndex]; }

    // Puts the path first (once).
    virtual void Add(LPCTSTR lpszPathName);
    virtual void Remove(int nIndex);

    // The text of entry nIndex in the menu (UTF-8): "&1 " and the name as it
    // reads, cut to fit and with its own "&" doubled; empty for an unused
    // entry.
    std::string GetMenuText(int nIndex) const;

    // The settings ReadList and WriteList use; without them the list is
    // kept only while the program runs.
    void SetSettings(AfxRecentFileSettings settings) { m_settings = std::move(settings); }
    virtual void ReadList();
    virtual void WriteList();

    // The update of the first entry's menu item: the entries go into the
    // menu in its place (and that of the entries shown before), or the place
    // holder stays, grayed, while the list is empty.
    void UpdateMenu(CCmdUI* pCmdUI) const;

    UINT m_nStart;
    std::string m_strSectionName;
    std::string m_strEntryFormat;

protected:
    int m_nSize;
    int m_nMaxDisplayLength;
    std::vector<std::string> m_arrNames;
    mutable std::string m_strPlaceHolder;  // the first item's text as the menu had it
    AfxRecentFileSettings m_settings;
};

// A path as the user reads it (UTF-8), shortened to at most nMaxLength
// characters as users know it: the file's name is kept whole, and folders
// from the middle give way to "...".
std::string AfxAbbreviateName(const std::string& path, int nMaxLength);

#endif
