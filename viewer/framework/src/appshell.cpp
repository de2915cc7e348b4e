// CWinApp's side of the desktop shell: the single-instance channel's
// requests (a file a second start opens or prints here) and the file type
// registration the document templates' strings make.
#include "app.h"

#include "doctemplate.h"
#include "document.h"
#include "frame.h"
#include "printing.h"
#include "shellchannel.h"
#include "shellreg.h"
#include "strings_table.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

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

// ---------------------------------------------------------------------------
// The single-instance channel

void CWinApp::EnableShellOpen()
{
    if (m_pShellChannel != nullptr)
        return;
    m_pShellChannel = new CShellChannel(QString::fromStdString(AfxGetAppName(*this)));
    m_pShellChannel->m_onOpen = [this](const std::string& path) { OpenFromShell(path, TRUE); };
    // "/p" of a second start prints here, on the printer Print Setup chose.
    m_pShellChannel->m_onPrint = [this](const std::string& path) { OpenFromShell(path, FALSE, TRUE); };
}

void CWinApp::OpenFromShell(const std::string& path, BOOL bRaise, BOOL bPrint)
{
    QWidget* pWidget = m_pMainWnd != nullptr ? m_pMainWnd->GetWidget() : nullptr;
    if (pWidget != nullptr && bRaise) {
        // the window comes to the front, restored if it was minimised
        pWidget->setWindowState(pWidget->windowState() & ~Qt::WindowMinimized);
        pWidget->show();
        pWidget->raise();
        pWidget->activateWindow();
    }
    // A dialog the user has open (a prompt, the file dialog) is answered
    // first: the file waits for it rather than opening from inside it.
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(200, m_pShellChannel,
                           [this, path, bPrint] { OpenFromShell(path, FALSE, bPrint); });
        return;
    }
    // as a file named at start: opened after the save prompt
    CDocument* pDoc = OpenDocumentFile(path.c_str());
    if (pDoc != nullptr && bPrint)
        AfxPrintDocument(pDoc);
}

BOOL CWinApp::ForwardToRunningInstance(const std::string& fileName, BOOL bPrint)
{
    return m_pShellChannel != nullptr && m_pShellChannel->Forward(fileName, bPrint);
}

void CWinApp::ListenForShellRequests()
{
    if (m_pShellChannel != nullptr)
        m_pShellChannel->Listen();
}

// ---------------------------------------------------------------------------
// The file type registration

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
