// The program's command line: what the shell asked for (a new document, a
// file to open or print, a DDE session, removal of the shell entries), read
// from the switches after "/" or "-" and the first other argument.
#ifndef RUVOK_CMDLINE_H
#define RUVOK_CMDLINE_H

#include "afx.h"

#include <string>

class CCommandLineInfo : public CObject {
public:
    enum {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppUnregister,
        FileNothing = -1,
    } m_nShellCommand = FileNew;

    CCommandLineInfo();
    ~CCommandLineInfo() override;

    // One argument: pszParam without its "/" or "-" when bFlag; bLast on the
    // final one.
    virtual void ParseParam(const TCHAR* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    std::string m_strFileName;
    // "pt": the printer, its driver and its port.
    std::string m_strPrinterName;
    std::string m_strDriverName;
    std::string m_strPortName;

protected:
    void ParseParamFlag(const char* pszParam);
    void ParseParamNotFlag(const char* pszParam);
    void ParseLast(BOOL bLast);
};

// Whether an argument is a switch, and its name without the "/" or "-". On
// POSIX every absolute path starts with "/", so there a "/" makes a switch
// only when a known switch name follows.
BOOL AfxIsCommandLineSwitch(const char* pszArg, const char** ppszName);

#endif
