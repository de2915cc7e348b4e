// CWinApp: the one application object, its document templates, the
// application-level commands (New, Open, the recent files, Exit), its
// settings, its place in the desktop shell and the message loop.
#ifndef RUVOK_APP_H
#define RUVOK_APP_H

#include "afx.h"
#include "appstate.h"

#include <string>
#include <utility>
#include <vector>

class CCommandLineInfo;
class CDocTemplate;
class CDocument;
class CRecentFileList;
class CShellChannel;
class CWnd;

class CWinApp : public CCmdTarget {
public:
    // Without a name, the application's name is string 0xE000.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // Runs the message loop until the main window is gone; the exit code.
    virtual int Run();
    virtual int ExitInstance();

    // The application takes the template over.
    void AddDocTemplate(CDocTemplate* pTemplate);
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
    // The file dialog, with the template's filter and then "all files".
    virtual BOOL DoPromptFileName(std::string& fileName, UINT nIDSTitle, BOOL bOpenFileDialog,
                                  CDocTemplate* pTemplate);
    virtual void CloseAllDocuments(BOOL bEndSession);

    // The command line (m_args) read into rCmdInfo, and carried out: FALSE
    // when the program is to end now (the exit code is then m_nExitCode).
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    // Settings: from now on under the key (organisation) lpszRegistryKey and
    // the application's name.
    void SetRegistryKey(LPCTSTR lpszRegistryKey);
    // The recent-file list of nMaxMRU entries and the preview page count.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    UINT GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue);
    std::string GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry,
                                 LPCTSTR lpszDefault = nullptr);
    // Several entries of a section at once (NULL removes one); the settings
    // are written only when something changes.
    BOOL WriteProfileStrings(LPCTSTR lpszSection,
                             const std::vector<std::pair<std::string, const char*>>& entries);
    virtual void AddToRecentFileList(LPCTSTR lpszPathName);

    // The shell: requests to open files reach this program (a running one
    // takes them from a second start), and the document types are registered
    // with it; Unregister removes what was registered and the settings.
    void EnableShellOpen();
    void RegisterShellFileTypes(BOOL bCompat = FALSE);
    void UnregisterShellFileTypes();
    virtual BOOL Unregister();

    // Where the settings live, and the recent-file list (NULL before
    // LoadStdProfileSettings).
    const char* m_pszRegistryKey = nullptr;
    const char* m_pszProfileName = nullptr;
    CRecentFileList* m_pRecentFileList = nullptr;
    UINT m_nNumPreviewPages = 0;
    // The preview's one or two pages as the settings hold them now (another
    // viewer may have changed them), and keeping them there.
    UINT GetPreviewPages();
    void SetPreviewPages(UINT nPages);
    // How the main window is to be shown (SW_HIDE while printing from the
    // command line), and the code the program ends with.
    int m_nCmdShow = 1;
    int m_nExitCode = 0;

    // The application's name: m_strAppName's, once it has one.
    const char* m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;
    // The command line after the program's name.
    std::vector<std::string> m_args;

    // The main frame's text is about to be replaced: the frame is told first
    // (CFrameWnd::BeforeReplacingText). OpenDocumentFile does so for every
    // file opened; File New and File Open (before its dialog) as they start.
    void BeforeReplacingText();

    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    // Print Setup: the printer's page settings, kept while the program runs.
    void OnFilePrintSetup();
    void OnOpenRecentFile(UINT nID);
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

protected:
    std::vector<CDocTemplate*> m_templates;
    std::string m_strAppName;
    std::string m_strRegistryKey;
    CShellChannel* m_pShellChannel = nullptr;
    // Some shell entries could not be removed by UnregisterShellFileTypes.
    BOOL m_bShellEntriesLeft = FALSE;

    // With shell open enabled: hands a file to a viewer that runs already,
    // to open or to print (TRUE when it took it), and takes such requests
    // from now on.
    BOOL ForwardToRunningInstance(const std::string& fileName, BOOL bPrint = FALSE);
    void ListenForShellRequests();
    void OpenFromShell(const std::string& path, BOOL bRaise, BOOL bPrint = FALSE);

    friend void AfxWinInit(int argc, char* argv[]);

    DECLARE_MESSAGE_MAP()
};

// The application's name: its title string, or where it has none the
// program's own file name.
std::string AfxGetAppName(const CWinApp& app);

// Sets up what the framework needs of the Qt application made by the caller:
// the Japanese translation of Qt's own dialogs, the fonts, the command line.
void AfxWinInit(int argc, char* argv[]);
// The program's entry: makes the Qt application, runs InitInstance and, if it
// succeeds, the message loop.
int AfxWinMain(int argc, char* argv[]);

// Hosting controls in dialogs and their three-dimensional look: the window
// system gives both, so these are kept for the start-up code that calls them.
void AfxEnableControlContainer();
BOOL Enable3dControlsStatic();

#endif
