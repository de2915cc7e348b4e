// The Windows launcher, started for real (under wine here) with the stand-in
// viewer beside it; and the Windows C runtime held to the split table.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "command.h"
#include "command_line.h"
#include "split_cases.h"
#include "standin_record.h"

using namespace std::chrono_literals;

namespace {

constexpr DWORD kNoShowFlag = 0xffffffff;

bool IsAnsiLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

std::string OwnDirectory()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path, n);
    return self.substr(0, self.rfind('\\') + 1);
}

struct Started {
    bool ok = false;
    DWORD exitCode = 0xdead;
};

// Starts `program` with exactly `commandLine`, in `directory`, shown as `show`
// (kNoShowFlag: without STARTF_USESHOWWINDOW), and waits for it to end.
Started StartAndWait(const std::string& program, const std::string& commandLine, const std::string& directory,
                     DWORD show = kNoShowFlag)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (show != kNoShowFlag) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(show);
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION process{};
    Started result;
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                        &startup, &process))
        return result;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        result.ok = GetExitCodeProcess(process.hProcess, &result.exitCode) != FALSE;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

class WindowsLauncher : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        root_ = std::string(temp) + "ruvok-launcher-" + std::to_string(GetCurrentProcessId()) + "\\";
        bin_ = root_ + "bin with blank\\";
        bare_ = root_ + "no viewer\\";
        work_ = root_ + "work dir";
        for (const std::string& dir : {root_, bin_, bare_, work_ + "\\"})
            CreateDirectoryA(dir.c_str(), nullptr);
        const std::string here = OwnDirectory();
        CopyFileA((here + "launcher.exe").c_str(), (bin_ + "launcher.exe").c_str(), FALSE);
        CopyFileA((here + "ruvok_standin.exe").c_str(), (bin_ + "ruvok.exe").c_str(), FALSE);
        CopyFileA((here + "launcher.exe").c_str(), (bare_ + "launcher.exe").c_str(), FALSE);
        standin_ = here + "ruvok_standin.exe";
        record_ = root_ + "record";
        SetEnvironmentVariableA("RUVOK_STANDIN_RECORD", record_.c_str());
        SetEnvironmentVariableA("RUVOK_STANDIN_PROBE", "kept");
    }

    static void TearDownTestSuite()
    {
        for (const std::string& file : {bin_ + "launcher.exe", bin_ + "ruvok.exe", bare_ + "launcher.exe", record_,
                                        record_ + ".partial"})
            DeleteFileA(file.c_str());
        for (const std::string& dir : {bin_, bare_, work_ + "\\", root_})
            RemoveDirectoryA(dir.c_str());
    }

    void SetUp() override { DeleteFileA(record_.c_str()); }

    static std::string root_, bin_, bare_, work_, standin_, record_;
};

std::string WindowsLauncher::root_, WindowsLauncher::bin_, WindowsLauncher::bare_, WindowsLauncher::work_,
    WindowsLauncher::standin_, WindowsLauncher::record_;

struct LaunchCase {
    const char* why;
    std::string afterName;  // the command line after the launcher's own name
    std::string command;    // what the viewer must be started with
};

std::string Quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

TEST_F(WindowsLauncher, StartsTheViewerOnItsTail)
{
    const std::string ws1014(1014, 'w');  // commands of 1,022 to 1,025 bytes
    const std::vector<LaunchCase> cases = {
        {"no quote: the whole tail quoted", R"( C:\My Files\a.txt)", R"(ruvok "C:\My Files\a.txt")"},
        {"quotes at both ends: unchanged", R"( "C:\My Files\a.txt")", R"(ruvok "C:\My Files\a.txt")"},
        {"a quote inside: unchanged", R"( C:\a b\"c d" e)", R"(ruvok C:\a b\"c d" e)"},
        {"two names become one argument", " a.txt b.txt", R"(ruvok "a.txt b.txt")"},
        {"no tail at all", "", R"(ruvok "")"},
        {"blanks only", "    ", R"(ruvok "")"},
        {"blanks before are dropped, after are kept", "   a.txt   ", R"(ruvok "a.txt   ")"},
        {"tabs before are dropped", "\t\ta.txt", R"(ruvok "a.txt")"},
        {"a trailing backslash is not doubled", R"( C:\dir\)", R"(ruvok "C:\dir\")"},
        {"the tail right after the closing quote of the name", "a b.txt", R"(ruvok "a b.txt")"},
        {"a percent sign is text", " 100%s %d.txt", R"(ruvok "100%s %d.txt")"},
        {"Shift_JIS passes byte for byte", " \x83\x5c\x83\x74\x83\x67 \x95\x5c.txt",
         "ruvok \"\x83\x5c\x83\x74\x83\x67 \x95\x5c.txt\""},
        {"Shift_JIS with quotes", " \"\x95\x5c\" \xc3\xb7\xbd\xc4", "ruvok \"\x95\x5c\" \xc3\xb7\xbd\xc4"},
        {"command of 1,022 bytes", " " + ws1014, "ruvok " + Quoted(ws1014)},
        {"command of 1,023 bytes (wsprintfA's most)", " " + ws1014 + "w", "ruvok " + Quoted(ws1014 + "w")},
        {"command of 1,024 bytes", " " + ws1014 + "ww", "ruvok " + Quoted(ws1014 + "ww")},
        {"command of 1,025 bytes", " " + ws1014 + "www", "ruvok " + Quoted(ws1014 + "www")},
        {"a tail of 5,000 bytes", " " + std::string(5000, 'x'), "ruvok " + Quoted(std::string(5000, 'x'))},
        {"a long tail with a quote", " \"" + std::string(3000, 'y') + "\" z", "ruvok \"" + std::string(3000, 'y') + "\" z"},
    };
    const std::string launcher = bin_ + "launcher.exe";
    for (const LaunchCase& c : cases) {
        DeleteFileA(record_.c_str());
        const Started started = StartAndWait(launcher, Quoted(launcher) + c.afterName, work_);
        ASSERT_TRUE(started.ok) << c.why;
        EXPECT_EQ(started.exitCode, 0u) << c.why;
        const auto record = WaitForStandinRecord(record_, 20s);
        ASSERT_TRUE(record) << c.why;
        EXPECT_EQ(record->commandLine, c.command) << c.why << "\n got " << Visible(record->commandLine);
        EXPECT_EQ(record->startupFlags, std::to_string(STARTF_USESHOWWINDOW)) << c.why;
        EXPECT_EQ(record->showWindow, std::to_string(SW_SHOWDEFAULT)) << c.why;
        EXPECT_EQ(record->currentDirectory, work_) << c.why;
        EXPECT_EQ(record->probe, "kept") << c.why;
        // What the runtime splits the command into is what the POSIX launcher
        // computes for its viewer.
        EXPECT_EQ(record->args, SplitCommandLine(c.command.c_str(), IsAnsiLeadByte))
            << c.why << "\n got " << Visible(record->args);
    }
}

TEST_F(WindowsLauncher, UnquotedOwnNames)
{
    const std::vector<LaunchCase> cases = {
        {"plain name", "launcher.exe a b.txt", R"(ruvok "a b.txt")"},
        {"bytes of 0x80 and above belong to the name", "la\x82\xa0\xb1.exe a b.txt", R"(ruvok "a b.txt")"},
        {"Shift_JIS right after the name's blank", "launcher.exe \x95\x5c", "ruvok \"\x95\x5c\""},
        {"a quote inside the name is an ordinary byte", R"(a"b c"d e)", R"(ruvok c"d e)"},
        {"first byte a blank: empty name", " a.txt", R"(ruvok "a.txt")"},
    };
    const std::string launcher = bin_ + "launcher.exe";
    for (const LaunchCase& c : cases) {
        DeleteFileA(record_.c_str());
        const Started started = StartAndWait(launcher, c.afterName, work_);
        ASSERT_TRUE(started.ok) << c.why;
        EXPECT_EQ(started.exitCode, 0u) << c.why;
        const auto record = WaitForStandinRecord(record_, 20s);
        ASSERT_TRUE(record) << c.why;
        EXPECT_EQ(record->commandLine, c.command) << c.why << "\n got " << Visible(record->commandLine);
    }
}

TEST_F(WindowsLauncher, PassesItsOwnShowState)
{
    struct ShowCase {
        const char* why;
        DWORD given;
        int passed;
    };
    const std::vector<ShowCase> cases = {
        {"minimised", SW_SHOWMINIMIZED, SW_SHOWMINIMIZED},
        {"minimised, not active", SW_SHOWMINNOACTIVE, SW_SHOWMINNOACTIVE},
        {"maximised", SW_SHOWMAXIMIZED, SW_SHOWMAXIMIZED},
        {"hidden", SW_HIDE, SW_HIDE},
        {"without STARTF_USESHOWWINDOW", kNoShowFlag, SW_SHOWDEFAULT},
    };
    const std::string launcher = bin_ + "launcher.exe";
    for (const ShowCase& c : cases) {
        DeleteFileA(record_.c_str());
        const Started started = StartAndWait(launcher, Quoted(launcher) + " a.txt", work_, c.given);
        ASSERT_TRUE(started.ok) << c.why;
        EXPECT_EQ(started.exitCode, 0u) << c.why;
        const auto record = WaitForStandinRecord(record_, 20s);
        ASSERT_TRUE(record) << c.why;
        EXPECT_EQ(record->startupFlags, std::to_string(STARTF_USESHOWWINDOW)) << c.why;
        EXPECT_EQ(record->showWindow, std::to_string(c.passed)) << c.why;
    }
}

TEST_F(WindowsLauncher, WithoutAViewerEndsWithZero)
{
    const std::string launcher = bare_ + "launcher.exe";
    for (const char* tail : {"", " a.txt", " \"a b\""}) {
        const Started started = StartAndWait(launcher, Quoted(launcher) + tail, work_);
        ASSERT_TRUE(started.ok) << tail;
        EXPECT_EQ(started.exitCode, 0u) << tail;
    }
    EXPECT_FALSE(WaitForStandinRecord(record_, 500ms));
}

// The C runtime that the programs here are linked with splits command lines as
// the table says (with wine's own answer where wine is known to differ from
// msvcrt.dll).
TEST_F(WindowsLauncher, RuntimeSplitsAsTheTableSays)
{
    char wineCheck[8];
    const bool underWine = GetEnvironmentVariableA("WINEPREFIX", wineCheck, sizeof wineCheck) > 0 ||
                           GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    for (const SplitCase& c : SplitCases()) {
        const std::vector<std::string>& expected = underWine && !c.wineArgs.empty() ? c.wineArgs : c.args;
        DeleteFileA(record_.c_str());
        const Started started = StartAndWait(standin_, c.commandLine, work_);
        ASSERT_TRUE(started.ok) << c.why;
        const auto record = WaitForStandinRecord(record_, 20s);
        ASSERT_TRUE(record) << c.why;
        EXPECT_EQ(record->commandLine, c.commandLine) << c.why;
        EXPECT_EQ(record->args, expected) << c.why << ": " << Visible(c.commandLine) << "\n got "
                                          << Visible(record->args);
    }
}

// The launcher's own format matches wsprintfA wherever wsprintfA's output fits,
// and wsprintfA indeed stops at its limit.
TEST(WindowsFormat, MatchesWsprintfWithinItsLimit)
{
    std::mt19937 random(77);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(0, kWsprintfLimit - 10);
    for (int i = 0; i < 1000; ++i) {
        std::string tail;
        for (int n = length(random); n > 0; --n)
            tail += static_cast<char>(byte(random));
        const char* format = CommandFormat(tail.c_str());
        std::vector<char> expected(tail.size() + kCommandBufferExtra);
        wsprintfA(expected.data(), format, tail.c_str());
        std::vector<char> ours(tail.size() + kCommandBufferExtra);
        FormatCommand(ours.data(), format, tail.c_str());
        ASSERT_STREQ(ours.data(), expected.data()) << Visible(tail);
    }
    const std::string tail(2000, 'z');
    std::vector<char> cut(tail.size() + kCommandBufferExtra);
    wsprintfA(cut.data(), CommandFormat(tail.c_str()), tail.c_str());
    EXPECT_LT(std::string(cut.data()).size(), kWsprintfLimit);
}

}  // namespace
