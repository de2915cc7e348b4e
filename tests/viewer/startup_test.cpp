// Start-up as a user meets it: the command line and its switches, the
// recent-file list across restarts, file drops, the desktop registration and
// its removal, and files handed to a running viewer. Every start runs in a
// child process of its own (the application object starts once a process),
// on Qt's offscreen platform, with a home folder of the test's own.
#include "app.h"
#include "cmdline.h"
#include "doctemplate.h"
#include "document.h"
#include "editview.h"
#include "frame.h"
#include "kanjicode.h"
#include "msgbox.h"
#include "printing.h"
#include "recentfiles.h"
#include "ruvokapp.h"
#include "shellchannel.h"
#include "strings_table.h"
#include "test_home.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCryptographicHash>
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QEventLoop>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include <csignal>
#include <fstream>
#include <spawn.h>
#include <functional>
#include <iterator>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    (void)std::system(("mkdir -p \"$(dirname '" + path + "')\"").c_str());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string Converted(const std::string& bytes)
{
    std::string out(2 * bytes.size() + 1, '\0');
    ConvertToSjis(&out[0], bytes.c_str());
    return std::string(out.c_str());
}

// A folder for one test: the home of its starts and its files.
class Scratch {
public:
    Scratch()
    {
        char pattern[] = "/tmp/ruvok-start-XXXXXX";
        m_path = ::mkdtemp(pattern) != nullptr ? pattern : "/tmp/ruvok-start";
    }
    ~Scratch() { (void)std::system(("rm -rf '" + m_path + "'").c_str()); }
    std::string Home() const { return m_path + "/home"; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    std::string Config() const
    {
        return Home() + "/.config/Local AppWizard-Generated Applications/ruvok.conf";
    }
    std::string Data(const std::string& rel) const { return Home() + "/.local/share/" + rel; }

private:
    std::string m_path;
};

// What one start showed and how it ended.
struct Start {
    bool running = false;  // InitInstance returned TRUE
    int exitCode = -1;
    bool windowShown = false;
    std::string title;
    std::string text;
    std::vector<std::string> messages;
    std::string extra;  // what the body reported
};

// The child's side: messages are recorded and answered from `answers`.
std::vector<std::string>* g_messages = nullptr;
std::vector<int> g_answers;

std::string Field(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '\n' ? std::string("\\n") : c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

std::string Unfield(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            out += s[i + 1] == 'n' ? '\n' : s[i + 1];
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

CFrameWnd* MainFrame()
{
    return dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
}

std::string ViewText()
{
    CFrameWnd* pFrame = MainFrame();
    if (pFrame == nullptr || pFrame->GetActiveView() == nullptr)
        return std::string();
    auto* pView = static_cast<CEditView*>(pFrame->GetActiveView());
    std::string s(pView->LockBuffer(), pView->GetBufferLength());
    pView->UnlockBuffer();
    return s;
}

void Settle(int ms = 50)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Starts the viewer with `args` in a child whose home is `home`; `body`
// runs in it afterwards (while the viewer runs) and returns a report.
Start RunStart(const std::string& home, std::vector<std::string> args,
               std::function<std::string()> body = nullptr, std::vector<int> answers = {})
{
    int fds[2];
    if (::pipe(fds) != 0)
        return Start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        PointHomeAt(home);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<std::string> argvStore{"ruvok"};
        argvStore.insert(argvStore.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : argvStore)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        int argc = static_cast<int>(argvStore.size());
        QApplication application(argc, argv.data());
        AfxWinInit(argc, argv.data());
        std::vector<std::string> messages;
        g_messages = &messages;
        g_answers = answers;
        AfxSetMessageBoxHook([](const std::string& text, UINT) {
            g_messages->push_back(text);
            if (g_answers.empty())
                return IDOK;
            int a = g_answers.front();
            g_answers.erase(g_answers.begin());
            return a;
        });
        AfxSetFileDialogHook([](AfxFileDialogRequest&) { return FALSE; });

        std::ostringstream out;
        const BOOL running = theApp.InitInstance();
        out << "running=" << running << '\n';
        if (!running) {
            out << "exit=" << theApp.ExitInstance() << '\n';
            // a window shown on the way out (printing shows none)
            CFrameWnd* pFrame = MainFrame();
            out << "shown=" << (pFrame && pFrame->GetWidget() && pFrame->GetWidget()->isVisible())
                << '\n';
        } else {
            Settle(20);
            CFrameWnd* pFrame = MainFrame();
            out << "shown=" << (pFrame && pFrame->GetWidget()->isVisible()) << '\n';
            out << "title=" << Field(pFrame ? pFrame->GetWindowText() : "") << '\n';
            out << "text=" << Field(ViewText()) << '\n';
            if (body)
                out << "extra=" << Field(body()) << '\n';
        }
        for (const std::string& m : messages)
            out << "message=" << Field(m) << '\n';
        const std::string s = out.str();
        ssize_t ignored = ::write(fds[1], s.data(), s.size());
        (void)ignored;
        ::close(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string raw;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        raw.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the start crashed";

    Start s;
    std::istringstream lines(raw);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        const std::string key = line.substr(0, eq), value = Unfield(line.substr(eq + 1));
        if (key == "running") s.running = value == "1";
        else if (key == "exit") s.exitCode = std::stoi(value);
        else if (key == "shown") s.windowShown = value == "1";
        else if (key == "title") s.title = value;
        else if (key == "text") s.text = value;
        else if (key == "extra") s.extra = value;
        else if (key == "message") s.messages.push_back(value);
    }
    return s;
}

// ---------------------------------------------------------------------------

TEST(CommandLine, SwitchesAndTheFile)
{
    using C = CCommandLineInfo;
    struct Row {
        std::vector<std::string> args;
        int command;
        std::string file, printer, driver, port;
        bool embedded, automated;
        const char* why;
    };
    const Row rows[] = {
        {{}, C::FileNew, "", "", "", "", false, false, "no argument: a new document"},
        {{"a.txt"}, C::FileOpen, "a.txt", "", "", "", false, false, "a file"},
        {{"a.txt", "b.txt"}, C::FileOpen, "a.txt", "", "", "", false, false, "the first file"},
        {{"/p", "a.txt"}, C::FilePrint, "a.txt", "", "", "", false, false, "print"},
        {{"-p", "a.txt"}, C::FilePrint, "a.txt", "", "", "", false, false, "'-' as '/'"},
        {{"/pt", "a.txt", "P", "D", "O"}, C::FilePrintTo, "a.txt", "P", "D", "O", false, false,
         "print to printer, driver, port"},
        {{"/dde"}, C::FileDDE, "", "", "", "", false, false, "dde"},
        {{"-Embedding"}, C::FileNew, "", "", "", "", true, false, "embedding"},
        {{"/automation"}, C::FileNew, "", "", "", "", false, true, "automation in any case"},
        {{"/Unregister"}, C::AppUnregister, "", "", "", "", false, false, "unregister"},
        {{"-UNREGSERVER"}, C::AppUnregister, "", "", "", "", false, false, "unregserver"},
        {{"--help"}, C::FileNew, "", "", "", "", false, false, "an unknown switch is ignored"},
        {{"-x", "a.txt"}, C::FileOpen, "a.txt", "", "", "", false, false, "ignored before a file"},
        {{"/home/u/p"}, C::FileOpen, "/home/u/p", "", "", "", false, false,
         "an absolute path is no switch"},
        {{"/P"}, C::FileOpen, "/P", "", "", "", false, false, "'p' is matched exactly"},
        {{"/tmp/Embedding"}, C::FileOpen, "/tmp/Embedding", "", "", "", false, false,
         "a path ending in a switch name"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        theApp.m_args = row.args;
        CCommandLineInfo info;
        theApp.ParseCommandLine(info);
        EXPECT_EQ(info.m_nShellCommand, row.command);
        EXPECT_EQ(info.m_strFileName, row.file);
        EXPECT_EQ(info.m_strPrinterName, row.printer);
        EXPECT_EQ(info.m_strDriverName, row.driver);
        EXPECT_EQ(info.m_strPortName, row.port);
        EXPECT_EQ(info.m_bRunEmbedded != FALSE, row.embedded);
        EXPECT_EQ(info.m_bRunAutomated != FALSE, row.automated);
    }
    theApp.m_args.clear();
}

TEST(RecentFiles, NamesCutTheWayUsersKnow)
{
    struct Row {
        const char* path;
        const char* shown;
    };
    const Row rows[] = {
        {"/home/u/a.txt", "/home/u/a.txt"},
        {"/home/user/documents/letters/2024/march/note.txt", "/home/.../2024/march/note.txt"},
        {"/home/user/documents/letters/2024/a-very-long-file-name.txt",
         ".../a-very-long-file-name.txt"},
        {"/a-folder-name-that-is-long-too/x/y/z/notes.txt", ".../x/y/z/notes.txt"},
        {"/home/user/かなり長い日本語のフォルダ名です/もう一つ/メモ.txt",
         "/home/.../もう一つ/メモ.txt"},
        {"/home/user/this-is-a-file-name-longer-than-thirty.txt",
         "this-is-a-file-name-longer-than-thirty.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const std::string shown = AfxAbbreviateName(row.path, 30);
        EXPECT_EQ(shown, row.shown);
        const bool nameOnly = shown.find('/') == std::string::npos;
        if (!nameOnly) {
            EXPECT_LE(QString::fromStdString(shown).size(), 30);
        }
    }

    CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4, 30);
    for (const char* p : {"/a/1", "/a/2", "/a/3", "/a/2", "/a/4", "/a/5"})
        list.Add(p);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list[0], "/a/5");  // newest first, each once, the oldest gone
    EXPECT_EQ(list[1], "/a/4");
    EXPECT_EQ(list[2], "/a/2");
    EXPECT_EQ(list[3], "/a/3");
    list.Add("/b/R&D.txt");
    EXPECT_EQ(list.GetMenuText(0), "&1 /b/R&&D.txt");
    EXPECT_EQ(list.GetMenuText(3), "&4 /a/2");
    EXPECT_EQ(list.GetMenuText(4), "");
}

TEST(Start, AsTheShellAsks)
{
    Scratch scratch;
    const std::string jis = "\x1b$B$3$s$K$A$O\x1b(B\n";
    const std::string euc = "\xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\n";
    const std::string sjis = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\r\n";
    WriteFile(scratch.File("jis.txt"), jis);
    WriteFile(scratch.File("euc.txt"), euc);
    WriteFile(scratch.File("sjis.txt"), sjis);
    const std::string missing = scratch.File("missing.txt");
    const std::string notFound = AfxFormatString1(0xF1A2, missing);
    const std::string printFailed = AfxLoadString(AFX_IDP_FAILED_TO_START_PRINT);

    struct Row {
        std::vector<std::string> args;
        bool running;
        int exitCode;  // when not running
        std::string title, text;
        std::vector<std::string> messages;
        const char* why;
    };
    const std::string untitled = "無題 - ﾃｷｽﾄﾌｧｲﾙ表示";
    const Row rows[] = {
        {{}, true, 0, untitled, "", {}, "no argument: an empty document"},
        {{scratch.File("jis.txt")}, true, 0, "jis.txt - ﾃｷｽﾄﾌｧｲﾙ表示", Converted(jis), {}, "JIS"},
        {{scratch.File("euc.txt")}, true, 0, "euc.txt - ﾃｷｽﾄﾌｧｲﾙ表示", Converted(euc), {}, "EUC"},
        {{scratch.File("sjis.txt")}, true, 0, "sjis.txt - ﾃｷｽﾄﾌｧｲﾙ表示", sjis, {}, "Shift_JIS"},
        {{missing}, false, 1, "", "", {notFound}, "a missing file: the message, a failure"},
        {{"--help"}, true, 0, untitled, "", {}, "an unknown switch"},
        {{"/dde"}, true, 0, untitled, "", {}, "a DDE start waits in an empty window"},
        {{"-Embedding"}, false, 0, "", "", {}, "embedding ends cleanly"},
        {{"/Automation"}, false, 0, "", "", {}, "automation ends cleanly"},
        {{"/p", scratch.File("euc.txt")}, false, 1, "", "", {printFailed},
         "print: no printing yet"},
        {{"/pt", scratch.File("euc.txt"), "P", "D", "O"}, false, 1, "", "", {printFailed},
         "print to"},
        {{"/p", missing}, false, 1, "", "", {notFound}, "print of a missing file"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Start s = RunStart(scratch.Home(), row.args);
        EXPECT_EQ(s.running, row.running);
        EXPECT_EQ(s.messages, row.messages);
        if (row.running) {
            EXPECT_TRUE(s.windowShown);
            EXPECT_EQ(s.title, row.title);
            EXPECT_EQ(s.text, row.text);
        } else {
            EXPECT_EQ(s.exitCode, row.exitCode);
            EXPECT_FALSE(s.windowShown);
        }
    }
}

TEST(Start, RecentFilesSurviveARestart)
{
    Scratch scratch;
    std::vector<std::string> files;
    for (int i = 1; i <= 5; ++i) {
        files.push_back(scratch.File("file" + std::to_string(i) + ".txt"));
        WriteFile(files.back(), "text " + std::to_string(i) + "\n");
    }
    // The File menu as it shows: each item's text and whether it is enabled.
    auto fileMenu = [] {
        QMainWindow* pWindow = MainFrame()->GetMainWindow();
        QMenu* pMenu = pWindow->menuBar()->actions().first()->menu();
        emit pMenu->aboutToShow();
        std::string out;
        for (QAction* a : pMenu->actions()) {
            if (!a->isSeparator())
                out += a->text().toStdString() + (a->isEnabled() ? "" : " (grayed)") + "|";
        }
        return out;
    };

    Start first = RunStart(scratch.Home(), {}, [&] {
        std::string before = fileMenu();
        for (const std::string& f : files)
            AfxGetApp()->OpenDocumentFile(f.c_str());
        return before;
    });
    EXPECT_NE(first.extra.find("最近使ったﾌｧｲﾙ (grayed)|"), std::string::npos) << first.extra;

    // After a restart: the entries, enabled, in place of the place holder;
    // the second entry's item opens its file; Print Setup, served by the
    // printing, is enabled.
    Start second = RunStart(scratch.Home(), {}, [&] {
        std::string out = fileMenu();
        QMenu* pMenu = MainFrame()->GetMainWindow()->menuBar()->actions().first()->menu();
        // twice, which brings the list back to its order
        for (int n = 0; n < 2; ++n) {
            fileMenu();
            for (QAction* a : pMenu->actions()) {
                if (a->text().startsWith(QStringLiteral("&2 ")))
                    a->trigger();
            }
            Settle();
            out += "opened " + MainFrame()->GetActiveDocument()->GetPathName() + "|";
        }
        return out;
    });
    std::string expected;
    for (int i = 0; i < 4; ++i)
        expected += "&" + std::to_string(i + 1) + " " +
                    AfxAbbreviateName(files[4 - i], 30) + "|";
    EXPECT_NE(second.extra.find(expected), std::string::npos) << second.extra;
    EXPECT_EQ(second.extra.find("最近使ったﾌｧｲﾙ"), std::string::npos);
    EXPECT_NE(second.extra.find("ﾌﾟﾘﾝﾀの設定(&R)...|"), std::string::npos)
        << second.extra;
    EXPECT_NE(second.extra.find("opened " + files[3] + "|opened " + files[4] + "|"),
              std::string::npos)
        << second.extra;

    // A file that has gone: its message, then its entry leaves the list; a
    // file still there stays even when the save prompt is cancelled.
    ::unlink(files[4].c_str());
    Start third = RunStart(scratch.Home(), {}, [&] {
        MainFrame()->OnCommand(ID_FILE_MRU_FILE1);
        Settle();
        MainFrame()->GetActiveDocument()->SetModifiedFlag(TRUE);
        MainFrame()->OnCommand(ID_FILE_MRU_FILE1);  // the save prompt: Cancel
        MainFrame()->GetActiveDocument()->SetModifiedFlag(FALSE);
        return fileMenu();
    }, {IDOK, IDCANCEL});
    ASSERT_EQ(third.messages.size(), 2u);
    EXPECT_EQ(third.messages[0], AfxFormatString1(0xF1A2, files[4]));
    EXPECT_EQ(third.extra.find("file5.txt"), std::string::npos) << third.extra;
    EXPECT_NE(third.extra.find("&1 " + AfxAbbreviateName(files[3], 30)), std::string::npos)
        << third.extra;
}

TEST(Start, DroppedFilesOpen)
{
    Scratch scratch;
    const std::string euc = "\xa4\xb3\xa4\xf3\n";
    WriteFile(scratch.File("dropped.txt"), euc);
    WriteFile(scratch.File("second.txt"), "second\n");

    // Drops the files on the widget as the window system would.
    auto drop = [&](QWidget* pTarget, const std::vector<std::string>& names) {
        auto* pData = new QMimeData;
        QList<QUrl> urls;
        for (const std::string& n : names)
            urls << QUrl::fromLocalFile(QString::fromStdString(n));
        pData->setUrls(urls);
        const QPointF at(10, 10);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, pData, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &enter);
        QDropEvent dropEvent(at, Qt::CopyAction, pData, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &dropEvent);
        Settle();
        delete pData;
        return enter.isAccepted() && dropEvent.isAccepted();
    };
    auto editArea = [] {
        QWidget* pView = MainFrame()->GetActiveView()->GetWidget();
        auto* pEdit = qobject_cast<QPlainTextEdit*>(pView);
        if (pEdit == nullptr)
            pEdit = pView->findChild<QPlainTextEdit*>();
        return pEdit != nullptr ? pEdit->viewport() : pView;
    };

    Start s = RunStart(scratch.Home(), {}, [&] {
        std::ostringstream out;
        // on the text area: the file opens, its name is not typed in
        out << drop(editArea(), {scratch.File("dropped.txt"), scratch.File("second.txt")});
        out << "|" << MainFrame()->GetActiveDocument()->GetPathName();
        out << "|" << (ViewText() == Converted(euc));
        // on the window itself, with changes: the save prompt first (No)
        MainFrame()->GetActiveDocument()->SetModifiedFlag(TRUE);
        out << "|" << drop(MainFrame()->GetWidget(), {scratch.File("second.txt")});
        out << "|" << MainFrame()->GetActiveDocument()->GetPathName();
        return out.str();
    }, {IDNO});
    EXPECT_EQ(s.extra, "1|" + scratch.File("dropped.txt") + "|1|1|" + scratch.File("second.txt"));
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.messages[0], AfxFormatString1(AFX_IDP_ASK_TO_SAVE, "dropped.txt"));
}

TEST(Start, RegistersWithTheDesktopWithoutTouchingTheUsersOwn)
{
    Scratch scratch;
    const std::string desktop = scratch.Data("applications/ruvok.desktop");
    const std::string icon16 = scratch.Data("icons/hicolor/16x16/apps/ruvok.png");
    const std::string icon32 = scratch.Data("icons/hicolor/32x32/apps/ruvok.png");
    const std::string doc16 = scratch.Data("icons/hicolor/16x16/mimetypes/ruvok-document.png");
    const std::string mimeApps = scratch.Home() + "/.config/mimeapps.list";

    // A first start writes everything (and keeps its file in the settings);
    // a second changes nothing.
    WriteFile(scratch.File("a.txt"), "a\n");
    RunStart(scratch.Home(), {scratch.File("a.txt")});
    const std::string entry = ReadFile(desktop);
    EXPECT_NE(entry.find("Exec="), std::string::npos);
    EXPECT_NE(entry.find(" /p %f"), std::string::npos);
    EXPECT_NE(entry.find(" /pt %f"), std::string::npos);
    EXPECT_NE(entry.find("MimeType=text/plain;"), std::string::npos);
    for (const std::string& f : {icon16, icon32, doc16})
        EXPECT_EQ(ReadFile(f).substr(1, 3), "PNG") << f;
    EXPECT_EQ(ReadFile(mimeApps), "[Default Applications]\ntext/plain=ruvok.desktop;\n");
    struct stat before;
    ::stat(desktop.c_str(), &before);
    ::sleep(1);
    RunStart(scratch.Home(), {});
    struct stat after;
    ::stat(desktop.c_str(), &after);
    EXPECT_EQ(before.st_mtime, after.st_mtime) << "rewritten although unchanged";
    EXPECT_EQ(ReadFile(mimeApps), "[Default Applications]\ntext/plain=ruvok.desktop;\n");

    // The user's own edits are theirs from then on.
    WriteFile(icon32, "the user's icon");
    RunStart(scratch.Home(), {});
    EXPECT_EQ(ReadFile(icon32), "the user's icon");

    // Unregistering removes exactly what was written, and the settings.
    WriteFile(mimeApps, "[Default Applications]\ntext/plain=ruvok.desktop;\nimage/png=viewer.desktop;\n");
    ASSERT_TRUE(Exists(scratch.Config()));
    Start un = RunStart(scratch.Home(), {"/Unregister"});
    EXPECT_FALSE(un.running);
    EXPECT_EQ(un.exitCode, 0);
    EXPECT_EQ(un.messages, std::vector<std::string>{AfxLoadString(AFX_IDP_UNREG_DONE)});
    for (const std::string& f : {desktop, icon16, doc16, scratch.Config()})
        EXPECT_FALSE(Exists(f)) << f;
    EXPECT_EQ(ReadFile(icon32), "the user's icon");
    EXPECT_EQ(ReadFile(mimeApps), "[Default Applications]\nimage/png=viewer.desktop;\n");

    // Again: nothing left to remove, still done; "Embedding" keeps it quiet.
    Start again = RunStart(scratch.Home(), {"-Unregserver", "-Embedding"});
    EXPECT_TRUE(again.messages.empty());
    EXPECT_EQ(again.exitCode, 0);
}

// Icons are made from the program's own resources: one written since the
// program was built is left alone; an older one of ours is made again when
// it differs, or only marked current when it doesn't; the user's own stays.
TEST(Start, IconsOfAnOlderBuildAreMadeAgainOnlyWhereTheyDiffer)
{
    struct Case {
        const char* name;
        std::string content;  // written over the icon; empty: left as made
        bool oursInSettings;  // the settings list the new content as ours
        bool expectPng;
    };
    const std::vector<Case> cases = {
        {"as made", "", false, true},
        {"ours, outdated", "an older icon", true, true},
        {"the user's own", "the user's icon", false, false},
    };
    for (const Case& c : cases) {
        Scratch scratch;
        const std::string icon = scratch.Data("icons/hicolor/16x16/apps/ruvok.png");
        const std::string manifest = scratch.Data("ruvok/shell-entries");
        RunStart(scratch.Home(), {});
        const std::string made = ReadFile(icon);
        ASSERT_EQ(made.substr(1, 3), "PNG") << c.name;
        if (!c.content.empty()) {
            WriteFile(icon, c.content);
            if (c.oursInSettings) {
                std::string list = ReadFile(manifest);
                const std::string oldHash = QCryptographicHash::hash(
                    QByteArray::fromStdString(made), QCryptographicHash::Sha256).toHex().toStdString();
                const std::string newHash = QCryptographicHash::hash(
                    QByteArray::fromStdString(c.content), QCryptographicHash::Sha256).toHex().toStdString();
                const size_t at = list.find(oldHash + "\t" + icon);
                ASSERT_NE(at, std::string::npos) << c.name;
                list.replace(at, oldHash.size(), newHash);
                WriteFile(manifest, list);
            }
        }
        // written by an older build
        const timeval old[2] = {{946684800, 0}, {946684800, 0}};
        ASSERT_EQ(::utimes(icon.c_str(), old), 0);
        RunStart(scratch.Home(), {});
        if (c.expectPng)
            EXPECT_EQ(ReadFile(icon), made) << c.name;
        else
            EXPECT_EQ(ReadFile(icon), c.content) << c.name;
        struct stat st;
        ASSERT_EQ(::stat(icon.c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime > 946684800, c.expectPng) << c.name << ": marked current";
    }
}

TEST(Start, UnregisteringLeavesNothingBehind)
{
    Scratch scratch;
    WriteFile(scratch.File("a.txt"), "a\n");
    RunStart(scratch.Home(), {scratch.File("a.txt")});
    RunStart(scratch.Home(), {"/Unregister"});
    // no file left in the data and configuration folders
    const std::string cmd = "find '" + scratch.Home() + "/.config' '" + scratch.Home() +
                            "/.local/share' -type f 2>/dev/null";
    std::string found;
    if (FILE* pipe = ::popen(cmd.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, pipe) != nullptr)
            found += buf;
        ::pclose(pipe);
    }
    EXPECT_EQ(found, "");
}

TEST(Start, TheUsersDefaultsAndEntriesStay)
{
    Scratch scratch;
    const std::string mimeApps = scratch.Home() + "/.config/mimeapps.list";
    const std::string desktop = scratch.Data("applications/ruvok.desktop");
    const std::string theirs = "[Default Applications]\ntext/plain=gedit.desktop;\n";
    WriteFile(mimeApps, theirs);
    WriteFile(desktop, "[Desktop Entry]\nName=mine\n");
    RunStart(scratch.Home(), {});
    EXPECT_EQ(ReadFile(mimeApps), theirs);
    EXPECT_EQ(ReadFile(desktop), "[Desktop Entry]\nName=mine\n");
    Start un = RunStart(scratch.Home(), {"/Unregister"});
    EXPECT_EQ(ReadFile(mimeApps), theirs);
    EXPECT_EQ(ReadFile(desktop), "[Desktop Entry]\nName=mine\n");
}


// Runs the real program (as the shell does) and waits for it while this
// process's viewer keeps answering.
std::string RunProgram(const std::vector<std::string>& args)
{
    QProcess program;
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    QEventLoop loop;
    QObject::connect(&program, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    program.start(QStringLiteral(RUVOK_PATH), list);
    loop.exec();
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished();
        return "still running";
    }
    return "exit " + std::to_string(program.exitCode());
}

TEST(Start, ASecondStartHandsItsFileToTheRunningViewer)
{
    Scratch scratch;
    const std::string euc = "\xa4\xb3\xa4\xf3\n";
    WriteFile(scratch.File("sent.txt"), euc);
    Start s = RunStart(scratch.Home(), {}, [&] {
        std::string r = RunProgram({scratch.File("sent.txt")});
        Settle(100);
        return r + "|" + MainFrame()->GetActiveDocument()->GetPathName() + "|" +
               (ViewText() == Converted(euc) ? "converted" : "not converted");
    });
    EXPECT_EQ(s.extra, "exit 0|" + scratch.File("sent.txt") + "|converted");
}

// "/p" with a viewer running: that viewer prints the file, on the printer
// and paper its Print Setup left (here: into a file, across the page;
// printed without a dialog into a file, it asks where first).
TEST(Start, ASecondStartsPrintIsTheRunningViewersOnItsPrinter)
{
    Scratch scratch;
    WriteFile(scratch.File("sent.txt"), "\xa4\xb3\xa4\xf3\n");
    const std::string pdf = scratch.File("out.pdf");
    Start s = RunStart(scratch.Home(), {}, [&] {
        QPrinter& printer = AfxGetPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(scratch.File("last.pdf")));
        printer.setPageOrientation(QPageLayout::Landscape);
        std::string asked;
        AfxSetFileDialogHook([&](AfxFileDialogRequest& request) {
            asked = request.title;
            request.fileName = pdf;
            return TRUE;
        });
        std::string r = RunProgram({"/p", scratch.File("sent.txt")});
        for (int i = 0; i < 50 && !Exists(pdf); ++i)
            Settle(100);
        Settle(200);
        return r + "|" + asked + "|" + MainFrame()->GetActiveDocument()->GetPathName();
    });
    EXPECT_EQ(s.extra, "exit 0|" + AfxLoadString(0xF048) + "|" + scratch.File("sent.txt"));
    FILE* info = ::popen(("pdfinfo '" + pdf + "' 2>&1").c_str(), "r");
    ASSERT_NE(info, nullptr);
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, info) != nullptr)
        text += buffer;
    ::pclose(info);
    double width = 0, height = 0;
    const size_t at = text.find("Page size:");
    ASSERT_NE(at, std::string::npos) << text;
    std::sscanf(text.c_str() + at, "Page size: %lf x %lf", &width, &height);
    EXPECT_GT(width, height) << "printed across, as Print Setup left it";
}

TEST(Start, AFileFromTheShellWaitsForTheDialogTheUserHasOpen)
{
    Scratch scratch;
    WriteFile(scratch.File("sent.txt"), "sent\n");
    Start s = RunStart(scratch.Home(), {}, [&] {
        std::string during;
        QDialog dialog(MainFrame()->GetWidget());
        QTimer::singleShot(0, &dialog, [&] {
            during = RunProgram({scratch.File("sent.txt")});
            Settle(300);
            during += "|" + MainFrame()->GetActiveDocument()->GetPathName();
            dialog.accept();
        });
        dialog.exec();
        Settle(400);
        return during + "|" + MainFrame()->GetActiveDocument()->GetPathName();
    });
    EXPECT_EQ(s.extra, "exit 0||" + scratch.File("sent.txt"));
}

// Runs the real program with arguments of any bytes (QProcess would decode
// them) and waits for it while this process's viewer keeps answering.
std::string RunProgramWithBytes(const std::vector<std::string>& args)
{
    std::vector<std::string> store{RUVOK_PATH};
    store.insert(store.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : store)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid;
    if (::posix_spawn(&pid, RUVOK_PATH, nullptr, nullptr, argv.data(), environ) != 0)
        return "not started";
    for (int waited = 0; waited < 10000; waited += 10) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        Settle(10);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return "still running";
}

// 日本語.txt in Shift_JIS and 漢字.txt in EUC-JP, each beside the name a lossy
// decoding makes of it (U+FFFD for each byte it could not read), which must
// never be opened in its place.
struct LegacyFile {
    std::string bytes;
    std::string shown;
};
const LegacyFile kLegacy[] = {
    {"\x93\xfa\x96\x7b\x8c\xea.txt", "日本語.txt"},
    {"\xb4\xc1\xbb\xfa.txt", "漢字.txt"},
};

std::string Lost(const std::string& bytes)
{
    return QString::fromUtf8(bytes).toStdString();
}

void WriteLegacyFiles(const Scratch& scratch, const std::string& text)
{
    for (const LegacyFile& f : kLegacy) {
        WriteFile(scratch.File(f.bytes), text);
        WriteFile(scratch.File(Lost(f.bytes)), "another file\n");
    }
}

TEST(Start, LegacyNamesFromTheCommandLineAndASecondStart)
{
    Scratch scratch;
    const std::string euc = "\xa4\xb3\xa4\xf3\n";
    WriteLegacyFiles(scratch, euc);
    for (const LegacyFile& f : kLegacy) {
        SCOPED_TRACE(f.shown);
        Start s = RunStart(scratch.Home(), {scratch.File(f.bytes)},
                           [] { return MainFrame()->GetActiveDocument()->GetPathName(); });
        EXPECT_TRUE(s.running);
        EXPECT_EQ(s.title, f.shown + " - ﾃｷｽﾄﾌｧｲﾙ表示");
        EXPECT_EQ(s.text, Converted(euc));
        EXPECT_EQ(s.extra, scratch.File(f.bytes));
        EXPECT_TRUE(s.messages.empty());

        // A second start hands the name's bytes to the running viewer.
        Start second = RunStart(scratch.Home(), {}, [&] {
            std::string r = RunProgramWithBytes({scratch.File(f.bytes)});
            Settle(100);
            return r + "|" + MainFrame()->GetActiveDocument()->GetPathName() + "|" +
                   MainFrame()->GetWindowText();
        });
        EXPECT_EQ(second.extra, "exit 0|" + scratch.File(f.bytes) + "|" + f.shown +
                                    " - ﾃｷｽﾄﾌｧｲﾙ表示");
    }

    // A name that is not there is named in the message as it reads.
    const std::string missing = scratch.File("\x8e\x91\x97\xbf.txt");  // 資料.txt
    Start s = RunStart(scratch.Home(), {missing});
    EXPECT_FALSE(s.running);
    EXPECT_EQ(s.exitCode, 1);
    EXPECT_EQ(s.messages, std::vector<std::string>{AfxFormatString1(0xF1A2, scratch.File("資料.txt"))});
}

TEST(Start, LegacyNamesDropped)
{
    Scratch scratch;
    WriteLegacyFiles(scratch, "dropped\n");
    Start s = RunStart(scratch.Home(), {}, [&] {
        std::string out;
        for (const LegacyFile& f : kLegacy) {
            // a drag source's list: the path's bytes percent-encoded
            QByteArray list = "# from a file manager\r\nfile://";
            list += QByteArray::fromStdString(scratch.File(f.bytes)).toPercentEncoding("/");
            list += "\r\n";
            auto* pData = new QMimeData;
            pData->setData(QStringLiteral("text/uri-list"), list);
            QWidget* pTarget = MainFrame()->GetWidget();
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, pData, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(pTarget, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, pData, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pTarget, &drop);
            Settle();
            delete pData;
            out += MainFrame()->GetActiveDocument()->GetPathName() + "|" +
                   MainFrame()->GetWindowText() + "|";
        }
        return out;
    });
    std::string expected;
    for (const LegacyFile& f : kLegacy)
        expected += scratch.File(f.bytes) + "|" + f.shown + " - ﾃｷｽﾄﾌｧｲﾙ表示|";
    EXPECT_EQ(s.extra, expected);
}

// The recent files keep each name's bytes across a restart, and the settings
// stay a text file: a UTF-8 path as it is, any other as a file: URI.
TEST(Start, LegacyRecentFilesSurviveARestart)
{
    Scratch scratch;
    WriteLegacyFiles(scratch, "recent\n");
    const std::string utf8 = scratch.File("ユーティーエフ.txt");
    WriteFile(utf8, "utf-8\n");
    RunStart(scratch.Home(), {}, [&] {
        for (const LegacyFile& f : kLegacy)
            AfxGetApp()->OpenDocumentFile(scratch.File(f.bytes).c_str());
        AfxGetApp()->OpenDocumentFile(utf8.c_str());
        return std::string();
    });
    const QByteArray settings = QByteArray::fromStdString(ReadFile(scratch.Config()));
    EXPECT_TRUE(QString::fromUtf8(settings).toUtf8() == settings) << "not UTF-8 text";
    EXPECT_NE(settings.indexOf(QByteArray::fromStdString("File1=" + utf8)), -1) << settings.data();
    EXPECT_NE(settings.indexOf("File2=file://"), -1) << settings.data();
    EXPECT_NE(settings.indexOf("%B4%C1%BB%FA.txt"), -1) << settings.data();
    EXPECT_NE(settings.indexOf("%93%FA%96%7B%8C%EA.txt"), -1) << settings.data();

    Start second = RunStart(scratch.Home(), {}, [&] {
        QMenu* pMenu = MainFrame()->GetMainWindow()->menuBar()->actions().first()->menu();
        emit pMenu->aboutToShow();
        std::string out;
        for (QAction* a : pMenu->actions()) {
            if (a->text().startsWith(QLatin1Char('&')) && a->text().at(2) == QLatin1Char(' '))
                out += a->text().toStdString() + "|";
        }
        // the third entry, the Shift_JIS file, opens that file
        for (QAction* a : pMenu->actions()) {
            if (a->text().startsWith(QStringLiteral("&3 ")))
                a->trigger();
        }
        Settle();
        return out + MainFrame()->GetActiveDocument()->GetPathName() + "|" + ViewText();
    });
    EXPECT_EQ(second.extra, "&1 " + AfxAbbreviateName(utf8, 30) + "|&2 " +
                                AfxAbbreviateName(scratch.File(kLegacy[1].bytes), 30) + "|&3 " +
                                AfxAbbreviateName(scratch.File(kLegacy[0].bytes), 30) + "|" +
                                scratch.File(kLegacy[0].bytes) + "|recent\r\n");
    EXPECT_NE(second.extra.find("日本語.txt"), std::string::npos);
    EXPECT_NE(second.extra.find("漢字.txt"), std::string::npos);
}

TEST(Start, OneViewerADisplay)
{
    Scratch scratch;
    // The running viewer listens for its own display only: a start on
    // another display (a virtual one, say) finds no socket and gets a
    // window of its own there.
    Start s = RunStart(scratch.Home(), {}, [&] {
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":0");
        const std::string own = CShellChannel::SocketPath(QStringLiteral("ruvok")).toStdString();
        qputenv("DISPLAY", ":4711.0");
        const std::string other =
            CShellChannel::SocketPath(QStringLiteral("ruvok")).toStdString();
        qputenv("DISPLAY", display);
        return std::string(own != other ? "differ" : "same") + "|" +
               other.substr(other.rfind('/') + 1);
    });
    EXPECT_EQ(s.extra, "differ|ruvok-_4711.0.shell");
}

TEST(Start, AStaleSocketNeverBlocksAStart)
{
    Scratch scratch;
    PointHomeAt(scratch.Home());
    // A socket file nobody listens on, as a crashed viewer leaves it.
    const std::string path = CShellChannel::SocketPath(QStringLiteral("ruvok")).toStdString();
    ASSERT_EQ(path.rfind(scratch.Home() + "/run/ruvok", 0), 0u) << path;
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    ASSERT_TRUE(Exists(path));

    WriteFile(scratch.File("a.txt"), "a\n");
    WriteFile(scratch.File("b.txt"), "b\n");
    // With a file: it starts (nothing takes the file), and listens from then on.
    Start s = RunStart(scratch.Home(), {scratch.File("a.txt")}, [&] {
        std::string r = RunProgram({scratch.File("b.txt")});
        Settle(100);
        return r + "|" + MainFrame()->GetActiveDocument()->GetPathName();
    });
    EXPECT_TRUE(s.running);
    EXPECT_EQ(s.title, "a.txt - ﾃｷｽﾄﾌｧｲﾙ表示");
    EXPECT_EQ(s.extra, "exit 0|" + scratch.File("b.txt"));
}

}  // namespace

int main(int argc, char** argv)
{
    IsolateHome();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
