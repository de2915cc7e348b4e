// CWinApp's side of the command line: its arguments parsed into a
// CCommandLineInfo (see cmdline.cpp) and the shell command they name run at
// start: open, print, unregister, or an empty document.
#include "app.h"

#include "cmdline.h"
#include "doctemplate.h"
#include "frame.h"
#include "msgbox.h"
#include "printing.h"
#include "recentfiles.h"

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    for (size_t i = 0; i < m_args.size(); ++i) {
        const char* pszParam = m_args[i].c_str();
        const char* pszName = pszParam;
        BOOL bFlag = AfxIsCommandLineSwitch(pszParam, &pszName);
        rCmdInfo.ParseParam(pszName, bFlag, i + 1 == m_args.size());
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    m_nExitCode = 0;
    if (rCmdInfo.m_nShellCommand == CCommandLineInfo::AppUnregister) {
        UnregisterShellFileTypes();
        BOOL bUnregistered = Unregister();
        // nothing is written back once the settings are gone
        delete m_pRecentFileList;
        m_pRecentFileList = nullptr;
        if (!rCmdInfo.m_bRunEmbedded)
            AfxMessageBox(bUnregistered ? AFX_IDP_UNREG_DONE : AFX_IDP_UNREG_FAILURE);
        m_nExitCode = bUnregistered ? 0 : 1;
        return FALSE;
    }
    // Started to serve an embedding or automation client: this program has
    // none to offer, so it ends at once, successfully, without a window.
    if (rCmdInfo.m_bRunEmbedded || rCmdInfo.m_bRunAutomated)
        return FALSE;

    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
    case CCommandLineInfo::FileDDE:
        // A DDE start waits for the shell's requests in a window of its own:
        // an empty document, like a start without arguments.
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr))
            OnFileNew();
        break;

    case CCommandLineInfo::FileOpen:
        // A viewer that runs already takes the file; this start ends there.
        if (ForwardToRunningInstance(rCmdInfo.m_strFileName))
            return FALSE;
        if (OpenDocumentFile(rCmdInfo.m_strFileName.c_str()) == nullptr) {
            m_nExitCode = 1;
            return FALSE;
        }
        break;

    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo: {
        // A viewer that runs already prints it on the printer Print Setup
        // left it (a printer named here is this start's own).
        if (rCmdInfo.m_nShellCommand == CCommandLineInfo::FilePrint
            && ForwardToRunningInstance(rCmdInfo.m_strFileName, TRUE))
            return FALSE;
        // printed without showing the window
        m_nCmdShow = SW_HIDE;
        CDocument* pDoc =
            m_templates.empty()
                ? nullptr
                : m_templates.front()->OpenDocumentFile(rCmdInfo.m_strFileName.c_str(), FALSE);
        if (pDoc == nullptr) {
            m_nExitCode = 1;
            return FALSE;
        }
        // Printed without dialogs on the current printer, or on the one
        // the command line names; a job that can't start says so.
        AfxPrintTarget target{rCmdInfo.m_strPrinterName, rCmdInfo.m_strDriverName,
                              rCmdInfo.m_strPortName};
        if (!AfxPrintDocument(pDoc,
                              rCmdInfo.m_nShellCommand == CCommandLineInfo::FilePrintTo ? &target
                                                                                          : nullptr))
            m_nExitCode = 1;
        return FALSE;
    }

    default:
        break;
    }
    if (m_pMainWnd == nullptr) {
        m_nExitCode = 1;
        return FALSE;
    }
    ListenForShellRequests();
    return TRUE;
}
