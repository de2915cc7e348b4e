// The command line read (see cmdline.h): which arguments are switches, and
// what each switch and file name asks for. The application runs it in
// appcmdline.cpp.
#include "cmdline.h"

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
