// Pieces of the framework on their own, without the viewer: the file
// helpers, a file whose status can't be had, freed memory handles, the
// application's name, an installed program told from a built one, and the
// calls message maps make to their handlers.
#include "app.h"
#include "exceptions.h"
#include "file.h"
#include "shellreg.h"
#include "strings_table.h"
#include "winapi.h"
#include "wnd.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// fstat as the framework's files see it: the real one, unless a test has
// armed a failure, which also leaves a directory's mode behind in the
// status (whoever reads it after the failure is misled).
namespace {
int g_fstatFailsWith = 0;
}

extern "C" int fstat(int fd, struct stat* buf) noexcept
{
    if (g_fstatFailsWith != 0) {
        const int err = g_fstatFailsWith;
        g_fstatFailsWith = 0;
        buf->st_mode = S_IFDIR | 0755;
        errno = err;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fstat, fd, buf));
}

namespace {

TEST(FrameworkFileHelpers, NamesAndPaths)
{
    const struct {
        const char* path;
        const char* title;
    } titles[] = {
        {"a/b/c.txt", "c.txt"}, {"/c.txt", "c.txt"}, {"c.txt", "c.txt"}, {"a/", ""}, {"", ""},
    };
    for (const auto& row : titles)
        EXPECT_EQ(AfxGetFileTitle(row.path), row.title) << row.path;

    const std::string cwd = QDir::currentPath().toStdString();
    const struct {
        std::string path;
        std::string full;
    } paths[] = {
        {"", ""},
        {"/a/./b/../c.txt", "/a/c.txt"},
        {"c.txt", cwd + "/c.txt"},
        {"x/../y.txt", cwd + "/y.txt"},
    };
    for (const auto& row : paths)
        EXPECT_EQ(AfxFullPath(row.path), row.full) << row.path;
}

TEST(FrameworkFileHelpers, WhatCantBeSavedInPlace)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    std::ofstream(base + "/w.txt") << "x";
    std::ofstream(base + "/ro.txt") << "x";
    ::chmod((base + "/ro.txt").c_str(), 0444);
    const struct {
        std::string path;
        bool refused;
        const char* why;
    } rows[] = {
        {base + "/w.txt", false, "a writable file"},
        {base + "/ro.txt", true, "marked read-only for everyone (root included)"},
        {base + "/gone.txt", true, "a file that is not there"},
        {base, true, "a folder"},
        {"", true, "no path"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AfxIsReadOnlyOrMissing(row.path), row.refused) << row.why;
}

TEST(FrameworkFile, AFailedStatusReportsItsOwnError)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/f.txt";
    std::ofstream(path) << "text";
    CFile file;
    CFileException fe;
    g_fstatFailsWith = EIO;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite, &fe));
    g_fstatFailsWith = 0;
    EXPECT_EQ(fe.m_lOsError, EIO) << "not a guess from a status that was never filled";
    EXPECT_EQ(fe.m_cause, CFileException::OsErrorToException(EIO));
    EXPECT_FALSE(file.IsOpen());

    CFile again;
    EXPECT_TRUE(again.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite, &fe));
}

// A freed block's memory may be gone altogether (a large one is given back
// to the system at once): its handle must be refused without reading it.
TEST(FrameworkMemory, AFreedHandleIsRefusedWithoutReadingIt)
{
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    const int before = GlobalBlocksInUse();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4u << 20);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalBlocksInUse(), before + 1);
    ASSERT_NE(GlobalLock(h), nullptr);
    EXPECT_TRUE(GlobalUnlock(h) == FALSE);
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalBlocksInUse(), before);

    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalUnlock(h), FALSE);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalFlags(h), 0u);
    EXPECT_EQ(GlobalFree(h), h) << "freeing twice is refused";
    int local = 0;
    EXPECT_EQ(GlobalLock(&local), nullptr) << "a handle that never was a block";
}

// Each application object keeps its name itself.
TEST(FrameworkApp, TheApplicationsNameIsItsOwn)
{
    char program[] = "/usr/bin/some-program";
    char* argv[] = {program, nullptr};
    const std::string title = AfxLoadString(AFX_IDS_APP_TITLE);
    ASSERT_FALSE(title.empty());

    CWinApp first;
    AfxWinInit(1, argv);
    ASSERT_NE(first.m_pszAppName, nullptr);
    EXPECT_EQ(std::string(first.m_pszAppName), title) << "without a name: string 0xE000";
    EXPECT_EQ(QCoreApplication::applicationName().toStdString(), title);
    {
        CWinApp second;
        AfxWinInit(1, argv);
        EXPECT_NE(second.m_pszAppName, first.m_pszAppName) << "not one name shared by both";
        EXPECT_EQ(std::string(second.m_pszAppName), title);
    }
    EXPECT_EQ(std::string(first.m_pszAppName), title);

    CWinApp named("given name");
    AfxWinInit(1, argv);
    EXPECT_EQ(std::string(named.m_pszAppName), "given name");
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("given name"));
}

// A handler of each signature, in a class whose command target does not
// start the object, reached through its map.
struct Padding {
    virtual ~Padding() = default;
    int pad[5] = {};
};

class Handlers : public Padding, public CWnd {
public:
    std::string calls;
    void OnCommand() { calls += "command;"; }
    void OnChange() { calls += "change;"; }
    void OnRange(UINT nID) { calls += "range " + std::to_string(nID) + ";"; }
    void OnUpdate(CCmdUI* pCmdUI)
    {
        pCmdUI->Enable(FALSE);
        calls += "update " + std::to_string(pCmdUI->m_nID) + ";";
    }
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        calls += "create " + std::to_string(lpcs->x) + ";";
        return -1;
    }
    LRESULT OnUser(WPARAM wParam, LPARAM lParam)
    {
        calls += "user;";
        return static_cast<LRESULT>(wParam) * 1000 + lParam;
    }
    DECLARE_MESSAGE_MAP()
};

constexpr UINT kUser = 0x0400;

BEGIN_MESSAGE_MAP(Handlers, CWnd)
    ON_COMMAND(100, OnCommand)
    ON_COMMAND_RANGE(200, 205, OnRange)
    ON_UPDATE_COMMAND_UI(100, OnUpdate)
    ON_WM_CREATE()
    ON_MESSAGE(kUser, OnUser)
    ON_CONTROL_REFLECT(EN_CHANGE, OnChange)
END_MESSAGE_MAP()

// An installed program's desktop entry and icons come with the
// installation: the program is in a bin folder beside a share folder that
// holds its entry. Anything else is a program run where it was built.
TEST(FrameworkShell, AnInstalledProgramIsToldFromABuiltOne)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString base = root.path();
    struct Row {
        const char* what;
        const char* program;  // under the folder
        const char* entry;    // made there; "" for none
        bool installed;
    } rows[] = {
        {"installed", "usr/bin/ruvok", "usr/share/applications/ruvok.desktop", true},
        {"in another prefix", "opt/x/bin/ruvok", "opt/x/share/applications/ruvok.desktop", true},
        {"no entry beside it", "local/bin/ruvok", "", false},
        {"another program's entry", "other/bin/ruvok", "other/share/applications/viewer.desktop",
         false},
        {"a build folder", "build/viewer/ruvok", "build/share/applications/ruvok.desktop", false},
    };
    for (const Row& r : rows) {
        if (*r.entry != '\0') {
            const QString entry = base + QLatin1Char('/') + QString::fromUtf8(r.entry);
            ASSERT_TRUE(QDir().mkpath(QFileInfo(entry).absolutePath()));
            std::ofstream(entry.toStdString()) << "[Desktop Entry]\n";
        }
        const std::string program = (base + QLatin1Char('/') + QString::fromUtf8(r.program)).toStdString();
        EXPECT_EQ(AfxIsInstalledProgram(program, "ruvok"), r.installed) << r.what;
    }
}

TEST(FrameworkMessageMap, EachHandlerIsCalledWithItsOwnArguments)
{
    Handlers h;
    EXPECT_TRUE(h.OnCmdMsg(100, CN_COMMAND, nullptr));
    EXPECT_TRUE(h.OnCmdMsg(203, CN_COMMAND, nullptr));
    CCmdUI ui;
    ui.m_nID = 100;
    EXPECT_TRUE(h.OnCmdMsg(100, CN_UPDATE_COMMAND_UI, &ui));
    EXPECT_FALSE(ui.m_bEnabled);

    CREATESTRUCT cs;
    cs.x = 7;
    const AFX_MSGMAP_ENTRY* create = h.FindMessageEntry(WM_CREATE, 0, 0);
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(h.CallEntry(create, 0, 0, reinterpret_cast<LPARAM>(&cs), nullptr), -1);
    const AFX_MSGMAP_ENTRY* user = h.FindMessageEntry(kUser, 0, 0);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(h.CallEntry(user, 0, 4, 2, nullptr), 4002);
    EXPECT_EQ(h.calls, "command;range 203;update 100;create 7;user;");
}

// WM_COMMAND's high word tells a command from a control's notification: a
// notification reaches only the handler for it, never the command of the
// same id.
TEST(FrameworkMessageMap, WmCommandTellsCommandsFromNotifications)
{
    struct Row {
        const char* what;
        WPARAM wParam;
        const char* calls;
    };
    const Row rows[] = {
        {"a menu's command", AfxCommandWParam(100, 0), "command;"},
        {"an accelerator's command", AfxCommandWParam(100, 1), "command;"},
        {"a command range", AfxCommandWParam(204, 0), "range 204;"},
        {"the control's change", AfxCommandWParam(100, EN_CHANGE), "change;"},
        {"a change from a control of any id", AfxCommandWParam(7, EN_CHANGE), "change;"},
        {"a notification nobody maps", AfxCommandWParam(100, 0x0400), ""},
        {"a command nobody maps", AfxCommandWParam(101, 0), ""},
    };
    for (const Row& row : rows) {
        Handlers h;
        h.SendMessage(WM_COMMAND, row.wParam, 0);
        EXPECT_EQ(h.calls, row.calls) << row.what;
    }
}

}  // namespace

// The registration claims text files only by a desktop entry it could
// write, and its removal gives the user's mimeapps.list back byte for byte:
// their own empty group, their line ends and a missing last line end
// included.
TEST(FrameworkShell, UnregisterGivesTheUsersListBackByteForByte)
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    const QByteArray configDirs = qgetenv("XDG_CONFIG_DIRS");
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    const struct {
        const char* why;
        bool exists;
        const char* list;
        bool entryBlocked;  // the applications folder is a file
    } rows[] = {
        {"no list", false, "", false},
        {"the user's own empty group", true, "[Default Applications]\n", false},
        {"an empty group without a line end", true, "[Default Applications]", false},
        {"another group, CR LF", true, "[Added Associations]\r\nimage/png=gimp.desktop;\r\n", false},
        {"no last line end", true, "[Added Associations]\nimage/png=gimp.desktop;", false},
        {"the group with an entry, CR LF", true,
         "# mine\r\n[Default Applications]\r\nimage/png=a.desktop;\r\n\r\n[Removed Associations]\r\n",
         false},
        {"an empty list", true, "", false},
        {"no desktop entry could be written", true, "[Added Associations]\n", true},
    };
    for (const auto& row : rows) {
        QTemporaryDir root;
        const QString base = root.path();
        for (const char* sub : {"/config", "/data", "/system-config", "/system-data"})
            QDir().mkpath(base + QLatin1String(sub));
        qputenv("HOME", QFile::encodeName(base));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + QStringLiteral("/config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/data")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(base + QStringLiteral("/system-config")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(base + QStringLiteral("/system-data")));
        const std::string list = (base + QStringLiteral("/config/mimeapps.list")).toStdString();
        if (row.exists)
            std::ofstream(list, std::ios::binary) << row.list;
        if (row.entryBlocked)
            std::ofstream((base + QStringLiteral("/data/applications")).toStdString()) << "a file";

        AfxShellType type;
        type.appName = "ruvok";
        type.programPath = "/usr/local/bin/ruvok";
        type.title = "ruvok";
        type.fileTypeId = "Ruvok.Document";
        type.fileTypeName = "Text";
        type.filterExt = ".txt";
        type.nIDAppIcon = 0;
        type.nIDDocIcon = 0;
        AfxRegisterShellFileType(type, TRUE);
        std::ifstream in(list, std::ios::binary);
        const std::string registered((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        if (row.entryBlocked)
            EXPECT_EQ(registered, row.list) << row.why << ": claimed for an entry that is not there";
        else
            EXPECT_NE(registered.find("text/plain=ruvok.desktop;"), std::string::npos) << row.why;

        EXPECT_TRUE(AfxUnregisterShellFileType(type)) << row.why;
        std::ifstream again(list, std::ios::binary);
        EXPECT_EQ(again.is_open(), row.exists) << row.why;
        const std::string after((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
        EXPECT_EQ(after, row.list) << row.why;
    }
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", config);
    qputenv("XDG_DATA_HOME", data);
    qputenv("XDG_CONFIG_DIRS", configDirs);
    qputenv("XDG_DATA_DIRS", dataDirs);
}
