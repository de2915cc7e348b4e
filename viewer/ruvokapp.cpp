// CRuvokApp: start-up (the template, the command line, the main window).
#include "ruvokapp.h"

#include "aboutdialog.h"
#include "doctemplate.h"
#include "mainframe.h"
#include "ruvokdoc.h"
#include "ruvokview.h"

BEGIN_MESSAGE_MAP(CRuvokApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnHelpAbout)
    ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, CWinApp::OnFilePrintSetup)
END_MESSAGE_MAP()

CRuvokApp theApp;

CRuvokApp::CRuvokApp() : CWinApp(nullptr) {}

CRuvokApp::~CRuvokApp() = default;

BOOL CRuvokApp::InitInstance()
{
    CSingleDocTemplate* pDocTemplate =
        new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CRuvokDoc), RUNTIME_CLASS(CMainFrame),
                               RUNTIME_CLASS(CRuvokView));
    AddDocTemplate(pDocTemplate);

    // No argument: a new empty document; otherwise open the file named.
    if (m_args.empty())
        OnFileNew();
    else if (OpenDocumentFile(m_args.front().c_str()) == nullptr)
        return FALSE;
    if (m_pMainWnd == nullptr)
        return FALSE;

    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    return TRUE;
}

void CRuvokApp::OnHelpAbout()
{
    CAboutDialog aboutDlg;
    aboutDlg.DoModal();
}
