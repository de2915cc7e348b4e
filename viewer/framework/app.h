// CWinApp: the one application object, its document templates, the
// application-level commands (New, Open, Exit) and the message loop.
#ifndef RUVOK_APP_H
#define RUVOK_APP_H

#include "afx.h"

#include <string>
#include <vector>

class CDocTemplate;
class CDocument;
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
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);

    // The application's name: m_strAppName's, once it has one.
    const char* m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;
    // The command line after the program's name.
    std::vector<std::string> m_args;

    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    // Print Setup: the printer's page settings, kept while the program runs.
    void OnFilePrintSetup();

protected:
    std::vector<CDocTemplate*> m_templates;
    std::string m_strAppName;

    friend void AfxWinInit(int argc, char* argv[]);

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// Sets up what the framework needs of the Qt application made by the caller:
// the Japanese translation of Qt's own dialogs, the fonts, the command line.
void AfxWinInit(int argc, char* argv[]);
// The program's entry: makes the Qt application, runs InitInstance and, if it
// succeeds, the message loop.
int AfxWinMain(int argc, char* argv[]);

#endif
