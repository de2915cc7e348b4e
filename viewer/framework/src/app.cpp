// CWinApp: its life (construction, InitInstance, the event loop, the end),
// its documents and the commands it serves itself (File New, File Open,
// Print Setup, Exit), and the program's start (AfxWinInit, AfxWinMain). Its
// settings, command line and desktop shell are in the other app*.cpp files.
#include "app.h"

#include "appstyle.h"
#include "cmdline.h"
#include "doctemplate.h"
#include "document.h"
#include "file.h"
#include "frame.h"
#include "msgbox.h"
#include "printing.h"
#include "qttexts.h"
#include "recentfiles.h"
#include "shellchannel.h"
#include "startwork.h"
#include "strings_table.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

// With no session bus, Qt's accessibility and desktop services would have
// D-Bus autolaunch one (dbus-launch and a dbus-daemon), which outlive the
// viewer; they go without instead. An address nothing listens at is tried
// and refused at once.
void KeepFromAutolaunchingABus()
{
#ifndef _WIN32
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (!runtime.isEmpty() && ::stat((runtime + "/bus").constData(), &st) == 0 &&
        S_ISSOCK(st.st_mode))
        return;  // the user's bus, where D-Bus looks without an address
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null");
#endif
}
}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
    ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
END_MESSAGE_MAP()

std::string AfxGetAppName(const CWinApp& app)
{
    if (app.m_pszAppName != nullptr)
        return app.m_pszAppName;
    return QCoreApplication::applicationName().toStdString();
}

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    AfxSetAppState(this, &m_pMainWnd);
    if (lpszAppName != nullptr) {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName.c_str();
    }
}

CWinApp::~CWinApp()
{
    delete m_pShellChannel;
    delete m_pRecentFileList;
    for (CDocTemplate* pTemplate : m_templates)
        delete pTemplate;
    if (AfxGetApp() == this)
        AfxSetAppState(nullptr, nullptr);
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    if (m_pMainWnd == nullptr)
        return ExitInstance();
    QApplication::exec();
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    // The channel goes while the event loop's objects are still there.
    delete m_pShellChannel;
    m_pShellChannel = nullptr;
    // The settings are written as they change (the recent files at once,
    // so that viewers running side by side don't undo each other's).
    return m_nExitCode;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    m_templates.push_back(pTemplate);
}

CDocument* CWinApp::OpenDocumentFile(LPCTSTR lpszFileName)
{
    // every file opened (a recent one, a drop, a second start's) comes here
    BeforeReplacingText();
    if (m_templates.empty())
        return nullptr;
    return m_templates.front()->OpenDocumentFile(lpszFileName);
}

BOOL CWinApp::DoPromptFileName(std::string& fileName, UINT nIDSTitle, BOOL bOpenFileDialog,
                               CDocTemplate* pTemplate)
{
    AfxFileDialogRequest request;
    request.bOpenFileDialog = bOpenFileDialog;
    request.title = AfxLoadString(nIDSTitle);
    request.fileName = fileName;

    if (pTemplate == nullptr && !m_templates.empty())
        pTemplate = m_templates.front();
    std::string filterName, filterExt;
    if (pTemplate != nullptr && pTemplate->GetDocString(filterName, CDocTemplate::filterName) &&
        !filterName.empty() && pTemplate->GetDocString(filterExt, CDocTemplate::filterExt) &&
        !filterExt.empty()) {
        request.filters.push_back({filterName, "*" + filterExt});
        request.defaultExt = filterExt[0] == '.' ? filterExt.substr(1) : filterExt;
    }
    // "*.*" on Windows lists every file, names without a dot included.
    request.filters.push_back({AfxLoadString(AFX_IDS_ALLFILTER), "*"});

    if (!AfxDoFileDialog(request))
        return FALSE;
    fileName = request.fileName;
    // a name typed without an extension takes the document's
    if (!bOpenFileDialog && !request.defaultExt.empty() &&
        AfxGetFileTitle(fileName).find('.') == std::string::npos)
        fileName += "." + request.defaultExt;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession)
{
    for (CDocTemplate* pTemplate : m_templates)
        pTemplate->CloseAllDocuments(bEndSession);
}

void CWinApp::BeforeReplacingText()
{
    if (auto* pFrame = dynamic_cast<CFrameWnd*>(m_pMainWnd))
        pFrame->BeforeReplacingText();
}

void CWinApp::OnFileNew()
{
    BeforeReplacingText();
    if (m_templates.empty())
        return;
    m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    BeforeReplacingText();
    std::string newName;
    if (!DoPromptFileName(newName, AFX_IDS_OPENFILE, TRUE, nullptr))
        return;  // cancelled
    OpenDocumentFile(newName.c_str());
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd != nullptr)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnFilePrintSetup()
{
    AfxRunPrinterDialog(AfxGetPrinter(), TRUE);
}

void AfxEnableControlContainer() {}

BOOL Enable3dControlsStatic()
{
    return TRUE;
}

void AfxWinInit(int argc, char* argv[])
{
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr) {
        if (pApp->m_pszAppName == nullptr) {
            // the title string names the application; the program file if missing
            pApp->m_strAppName = AfxLoadString(AFX_IDS_APP_TITLE);
            if (pApp->m_strAppName.empty() && argc > 0)
                pApp->m_strAppName = AfxGetFileTitle(argv[0]);
            pApp->m_pszAppName = pApp->m_strAppName.c_str();
        }
        pApp->m_args.clear();
        for (int i = 1; i < argc; ++i)
            pApp->m_args.emplace_back(argv[i]);
        QCoreApplication::setApplicationName(QString::fromStdString(pApp->m_pszAppName));
    }

    AfxInstallAppStyle();
    // The menu bar is the window's own, as the frame lays it out (asking the
    // session bus for a desktop's global menu would also hold up the start).
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);

    // Qt's own dialogs and buttons speak Japanese; the few texts its
    // translation lacks come from the resources.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    static QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"),
                        QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
    AfxInstallQtTexts();

    // Dialogs and menus in the proportional Japanese font where there is one.
    const QString family = QStringLiteral("IPAPGothic");
    if (QFontDatabase::families().contains(family)) {
        QFont font = QApplication::font();
        font.setFamily(family);
        QApplication::setFont(font);
    }
}

int AfxWinMain(int argc, char* argv[])
{
    KeepFromAutolaunchingABus();
    CStartupWork work;
    QApplication application(argc, argv);
    work.ApplicationReady();
    work.WaitForFonts();
    AfxWinInit(argc, argv);
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd != nullptr)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
