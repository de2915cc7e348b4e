// CWinApp's settings (QSettings, in the native place: the registry on
// Windows, an INI file in the user's configuration folder elsewhere): the
// profile's values, the preview's page count, the recent-file list and its
// commands, and their removal.
#include "app.h"

#include "file.h"
#include "recentfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace {

constexpr char kFileSection[] = "Recent File List";
constexpr char kFileEntry[] = "File%d";
constexpr char kPreviewSection[] = "Settings";
constexpr char kPreviewEntry[] = "PreviewPages";
constexpr int kMaxMenuName = 30;

QString Q(const char* s)
{
    return QString::fromLocal8Bit(s);
}

// The settings of this application: organisation the registry key, if set.
std::unique_ptr<QSettings> OpenSettings(const CWinApp& app)
{
    const QString appName = app.m_pszProfileName != nullptr ? Q(app.m_pszProfileName)
                                                            : QString::fromStdString(AfxGetAppName(app));
    if (app.m_pszRegistryKey != nullptr)
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           Q(app.m_pszRegistryKey), appName);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, appName);
}

}  // namespace

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey != nullptr ? lpszRegistryKey : "";
    m_pszRegistryKey = m_strRegistryKey.c_str();
    m_pszProfileName = m_pszAppName;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    if (m_pszProfileName == nullptr)
        m_pszProfileName = m_pszAppName;
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (nMaxMRU != 0) {
        m_pRecentFileList = new CRecentFileList(ID_FILE_MRU_FILE1, kFileSection, kFileEntry,
                                                static_cast<int>(nMaxMRU), kMaxMenuName);
        m_pRecentFileList->SetSettings(
            {[this](const char* section, const char* entry) {
                 return GetProfileString(section, entry);
             },
             [this](const char* section,
                    const std::vector<std::pair<std::string, const char*>>& entries) {
                 return WriteProfileStrings(section, entries);
             }});
        m_pRecentFileList->ReadList();
    }
}

// The preview's page count goes through these two alone: read when a
// preview opens (another viewer may have changed it), written when it closes.
UINT CWinApp::GetPreviewPages()
{
    m_nNumPreviewPages = GetProfileInt(kPreviewSection, kPreviewEntry, 0);
    return m_nNumPreviewPages;
}

void CWinApp::SetPreviewPages(UINT nPages)
{
    m_nNumPreviewPages = nPages;
    WriteProfileInt(kPreviewSection, kPreviewEntry, static_cast<int>(nPages));
}

UINT CWinApp::GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault)
{
    auto settings = OpenSettings(*this);
    bool ok = false;
    const int value = settings->value(Q(lpszSection) + QLatin1Char('/') + Q(lpszEntry))
                          .toInt(&ok);
    return static_cast<UINT>(ok ? value : nDefault);
}

BOOL CWinApp::WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue)
{
    auto settings = OpenSettings(*this);
    settings->setValue(Q(lpszSection) + QLatin1Char('/') + Q(lpszEntry), nValue);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

std::string CWinApp::GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry,
                                      LPCTSTR lpszDefault)
{
    auto settings = OpenSettings(*this);
    const QVariant value = settings->value(Q(lpszSection) + QLatin1Char('/') + Q(lpszEntry));
    if (!value.isValid())
        return lpszDefault != nullptr ? lpszDefault : "";
    return value.toString().toLocal8Bit().toStdString();
}

BOOL CWinApp::WriteProfileStrings(
    LPCTSTR lpszSection, const std::vector<std::pair<std::string, const char*>>& entries)
{
    auto settings = OpenSettings(*this);
    bool changed = false;
    for (const auto& entry : entries) {
        const QString key = Q(lpszSection) + QLatin1Char('/') + Q(entry.first.c_str());
        const QVariant old = settings->value(key);
        if (entry.second == nullptr) {
            if (old.isValid()) {
                settings->remove(key);
                changed = true;
            }
        } else if (!old.isValid() || old.toString() != Q(entry.second)) {
            settings->setValue(key, Q(entry.second));
            changed = true;
        }
    }
    if (!changed)
        return TRUE;  // nothing to write (and nothing to wait for)
    settings->sync();
    return settings->status() == QSettings::NoError;
}

void CWinApp::AddToRecentFileList(LPCTSTR lpszPathName)
{
    if (m_pRecentFileList == nullptr)
        return;
    // another viewer may have added files since
    m_pRecentFileList->ReadList();
    m_pRecentFileList->Add(lpszPathName);
    // written at once, so that another viewer started later, or this one
    // after a crash, finds it
    m_pRecentFileList->WriteList();
}

void CWinApp::OnOpenRecentFile(UINT nID)
{
    if (m_pRecentFileList == nullptr)
        return;
    const int nIndex = static_cast<int>(nID - ID_FILE_MRU_FILE1);
    if (nIndex < 0 || nIndex >= m_pRecentFileList->GetCount())
        return;
    const std::string path = (*m_pRecentFileList)[nIndex];
    if (OpenDocumentFile(path.c_str()) != nullptr)
        return;
    m_pRecentFileList->ReadList();
    // The entry goes once its file can't be opened any more (the message
    // has been shown); a Cancel at the save prompt keeps it.
    CFile file;
    if (file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return;
    for (int i = 0; i < m_pRecentFileList->GetCount(); ++i) {
        if ((*m_pRecentFileList)[i] == path) {
            m_pRecentFileList->Remove(i);
            break;
        }
    }
    m_pRecentFileList->WriteList();
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    if (m_pRecentFileList == nullptr)
        pCmdUI->Enable(FALSE);  // no list kept: the place holder, grayed
    else
        m_pRecentFileList->UpdateMenu(pCmdUI);
}

BOOL CWinApp::Unregister()
{
    BOOL bRemoved = TRUE;
    {
        auto settings = OpenSettings(*this);
        const QString file = settings->fileName();
        settings->clear();
        settings->sync();
        bRemoved = settings->status() == QSettings::NoError;
#ifndef _WIN32
        settings.reset();
        if (QFileInfo::exists(file) && !QFile::remove(file))
            bRemoved = FALSE;
        // the organisation's folder goes with its last file
        QDir().rmdir(QFileInfo(file).absolutePath());
#endif
    }
    return bRemoved && !m_bShellEntriesLeft;
}
