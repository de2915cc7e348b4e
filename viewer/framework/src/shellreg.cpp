// CWinApp's side of the shell registration: the template strings make the
// entries.
#include "app.h"

#include "doctemplate.h"
#include "shellreg.h"
#include "strings_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// The text of a prompt string after its "\n" (the short form).
std::string ShortForm(UINT nID)
{
    std::string s;
    AfxExtractSubString(s, AfxLoadString(nID), 1);
    return s;
}

AfxShellType ShellTypeOf(const CWinApp& app, CDocTemplate* pTemplate)
{
    AfxShellType type;
    type.appName = AfxGetAppName(app);
    type.programPath =
        QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdString();
    pTemplate->GetDocString(type.title, CDocTemplate::windowTitle);
    pTemplate->GetDocString(type.fileTypeId, CDocTemplate::regFileTypeId);
    pTemplate->GetDocString(type.fileTypeName, CDocTemplate::regFileTypeName);
    pTemplate->GetDocString(type.filterExt, CDocTemplate::filterExt);
    type.printName = ShortForm(ID_FILE_PRINT);
    type.printToName = AfxLoadString(ID_FILE_PRINT);
    type.printToName = type.printToName.substr(0, type.printToName.find('\n'));
    type.nIDAppIcon = pTemplate->GetResourceID();
    type.nIDDocIcon = IDR_TEXTTYPE;
    type.bInstalled = AfxIsInstalledProgram(
        QCoreApplication::applicationFilePath().toStdString(), type.appName);
    return type;
}

}  // namespace

bool AfxIsInstalledProgram(const std::string& programPath, const std::string& appName)
{
    const QFileInfo program(QString::fromStdString(programPath));
    QDir dir = program.absoluteDir();
    if (dir.dirName() != QStringLiteral("bin") || !dir.cdUp())
        return false;
    return QFileInfo::exists(dir.filePath(QStringLiteral("share/applications/")
                                          + QString::fromStdString(appName)
                                          + QStringLiteral(".desktop")));
}

void CWinApp::RegisterShellFileTypes(BOOL bCompat)
{
    for (CDocTemplate* pTemplate : m_templates) {
        AfxShellType type = ShellTypeOf(*this, pTemplate);
        if (!type.fileTypeId.empty())
            AfxRegisterShellFileType(type, bCompat);
    }
}

void CWinApp::UnregisterShellFileTypes()
{
    m_bShellEntriesLeft = FALSE;
    for (CDocTemplate* pTemplate : m_templates) {
        AfxShellType type = ShellTypeOf(*this, pTemplate);
        if (!type.fileTypeId.empty() && !AfxUnregisterShellFileType(type))
            m_bShellEntriesLeft = TRUE;
    }
}
