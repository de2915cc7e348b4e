#include "cmdline.h"

#include "app.h"
#include "doctemplate.h"
#include "frame.h"
#include "msgbox.h"
#include "printing.h"
#include "recentfiles.h"

#include <cstring>
#include <strings.h>

namespace {

struct KnownSwitch {
    const char* name;
    bool anyCase;  // "p", "pt" and "dde" are matched exactly, the rest in any case
};
constexpr KnownSwitch kSwitches[] = {
    {"p", false},         {"pt", false},         {"dde", false},        {"Embedding", true},
    {"Automation", true}, {"Unregister", true}, {"Unregserver", true},
};

bool IsSwitch(const char* name, const char* known)
{
    for (const KnownSwitch& s : kSwitches) {
        if (std::strcmp(s.name, known) == 0)
            return s.anyCase ? ::strcasecmp(name, known) == 0 : std::strcmp(name, known) == 0;
    }
    return false;
}

bool IsKnownSwitch(const char* name)
{
    for (const KnownSwitch& s : kSwitches) {
        if (IsSwitch(name, s.name))
            return true;
    }
    return false;
}

}  // namespace

BOOL AfxIsCommandLineSwitch(const char* pszArg, const char** ppszName)
{
    if (pszArg[0] == '-') {
        *ppszName = pszArg + 1;
        return TRUE;
    }
#ifdef _WIN32
    if (pszArg[0] == '/') {
        *ppszName = pszArg + 1;
        return TRUE;
    }
#else
    if (pszArg[0] == '/' && IsKnownSwitch(pszArg + 1)) {
        *ppszName = pszArg + 1;
        return TRUE;
    }
#endif
    return FALSE;
}

CCommandLineInfo::CCommandLineInfo() = default;
CCommandLineInfo::~CCommandLineInfo() = default;

void CCommandLineInfo::ParseParam(const TCHAR* pszParam, BOOL bFlag, BOOL bLast)
{
    if (bFlag)
        ParseParamFlag(pszParam);
    else
        ParseParamNotFlag(pszParam);
    ParseLast(bLast);
}

void CCommandLineInfo::ParseParamFlag(const char* pszParam)
{
    // Any other switch is left alone: "--help" opens an empty document.
    if (IsSwitch(pszParam, "pt")) {
        m_nShellCommand = FilePrintTo;
    } else if (IsSwitch(pszParam, "p")) {
        m_nShellCommand = FilePrint;
    } else if (IsSwitch(pszParam, "Unregister") || IsSwitch(pszParam, "Unregserver")) {
        m_nShellCommand = AppUnregister;
    } else if (IsSwitch(pszParam, "dde")) {
        m_nShellCommand = FileDDE;
    } else if (IsSwitch(pszParam, "Embedding")) {
        m_bRunEmbedded = TRUE;
    } else if (IsSwitch(pszParam, "Automation")) {
        m_bRunAutomated = TRUE;
    }
}

void CCommandLineInfo::ParseParamNotFlag(const char* pszParam)
{
    if (m_strFileName.empty())
        m_strFileName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.empty())
        m_strPrinterName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.empty())
        m_strDriverName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.empty())
        m_strPortName = pszParam;
}

void CCommandLineInfo::ParseLast(BOOL bLast)
{
    if (!bLast)
        return;
    if (m_nShellCommand == FileNew && !m_strFileName.empty())
        m_nShellCommand = FileOpen;
}

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
