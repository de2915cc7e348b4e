// The POSIX launcher, run for real with the stand-in viewer beside it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "standin_record.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct LaunchResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class PosixLauncher : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ruvok-launcher-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        bin_ = root_ / "bin with blank";
        work_ = root_ / "work dir";
        path_ = root_ / "on path";
        fs::create_directories(bin_);
        fs::create_directories(work_);
        fs::create_directories(path_);
        fs::copy_file(RUVOK_TEST_LAUNCHER, bin_ / "launcher");
        record_ = (root_ / "record").string();
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    void PutViewer(const fs::path& dir)
    {
        fs::copy_file(RUVOK_TEST_STANDIN, dir / "ruvok", fs::copy_options::overwrite_existing);
    }

    // Runs the launcher in work_ with PATH = path_ and the stand-in's variables,
    // and waits for the launcher (not the viewer) to end.
    LaunchResult Launch(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {})
    {
        const std::string launcher = (bin_ / "launcher").string();
        std::vector<std::string> argvStore{launcher};
        argvStore.insert(argvStore.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : argvStore)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        std::vector<std::string> envStore{"PATH=" + path_.string(), "RUVOK_STANDIN_RECORD=" + record_,
                                          "RUVOK_STANDIN_PROBE=kept \x95\x5c"};
        envStore.insert(envStore.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> env;
        for (auto& e : envStore)
            env.push_back(e.data());
        env.push_back(nullptr);

        const std::string outPath = (root_ / "out").string();
        const std::string errPath = (root_ / "err").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addchdir_np(&actions, work_.c_str());
        pid_t pid;
        LaunchResult result;
        const int spawned = posix_spawn(&pid, launcher.c_str(), &actions, nullptr, argv.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return result;
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadWholeFile(outPath).value_or("?");
        result.err = ReadWholeFile(errPath).value_or("?");
        return result;
    }

    fs::path root_, bin_, work_, path_;
    std::string record_;
};

struct PosixCase {
    const char* why;
    std::vector<std::string> launcherArgs;
    std::vector<std::string> viewerArgs;  // after argv[0]
};

// The viewer gets the tail, the arguments joined by single blanks, as its
// one argument, byte for byte: on POSIX the caller's shell has split and
// unquoted the arguments already, so no Windows quoting rule applies.
TEST_F(PosixLauncher, HandsTheViewerItsTailAsOneArgument)
{
    const std::vector<PosixCase> cases = {
        {"a path with blanks, no quote", {"/home/u/My Files/a.txt"}, {"/home/u/My Files/a.txt"}},
        {"a double quote is part of the name", {"say \"hi\".txt"}, {"say \"hi\".txt"}},
        {"quotes at both ends stay", {"\"a b.txt\""}, {"\"a b.txt\""}},
        {"arguments with quotes: one argument still", {"a", "\"b c\"", "d"}, {"a \"b c\" d"}},
        {"two names become one argument", {"a.txt", "b.txt"}, {"a.txt b.txt"}},
        {"no argument: an empty argument", {}, {""}},
        {"one empty argument", {""}, {""}},
        {"blanks at the end are kept", {"a.txt  "}, {"a.txt  "}},
        {"blanks at the start are kept", {"  a.txt"}, {"  a.txt"}},
        {"a trailing backslash is a byte like any other", {"dir\\"}, {"dir\\"}},
        {"Shift_JIS bytes pass through", {"\x83\x5c\x83\x74\x83\x67 \x95\x5c.txt"}, {"\x83\x5c\x83\x74\x83\x67 \x95\x5c.txt"}},
        {"a Shift_JIS trail byte 0x5c", {"\x95\x5c"}, {"\x95\x5c"}},
        {"a Shift_JIS name ending in a lead byte", {"\x95\x5c\x81"}, {"\x95\x5c\x81"}},
        {"half-width katakana", {"\xc3\xb7\xbd\xc4.txt"}, {"\xc3\xb7\xbd\xc4.txt"}},
        {"EUC-JP bytes", {"/tmp/\xc6\xfc\xcb\xdc\xb8\xec.txt"}, {"/tmp/\xc6\xfc\xcb\xdc\xb8\xec.txt"}},
        // UTF-8 names whose last byte is a code page 932 lead byte
        {"UTF-8 ending in E3 83 88 (ト)", {"/tmp/\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88"},
         {"/tmp/\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88"}},
        {"UTF-8 ending in E3 81 82 (あ), blanks inside", {"/tmp/a b \xe3\x81\x82"}, {"/tmp/a b \xe3\x81\x82"}},
        {"UTF-8 ending in 0x9F (ゟ), before a second argument", {"\xe3\x82\x9f", "x"}, {"\xe3\x82\x9f x"}},
        {"a percent sign is text", {"%s%n.txt"}, {"%s%n.txt"}},
        {"a tail over 1,024 bytes reaches the viewer whole", {std::string(5000, 'x')}, {std::string(5000, 'x')}},
        {"a long tail with a quote", {"\"" + std::string(2000, 'y') + "\" z"}, {"\"" + std::string(2000, 'y') + "\" z"}},
    };
    PutViewer(bin_);
    for (const PosixCase& c : cases) {
        fs::remove(record_);
        const LaunchResult result = Launch(c.launcherArgs);
        EXPECT_EQ(result.exitCode, 0) << c.why;
        EXPECT_EQ(result.out, "") << c.why;
        EXPECT_EQ(result.err, "") << c.why;
        const auto record = WaitForStandinRecord(record_, 10s);
        ASSERT_TRUE(record) << c.why;
        std::vector<std::string> expected{"ruvok"};
        expected.insert(expected.end(), c.viewerArgs.begin(), c.viewerArgs.end());
        EXPECT_EQ(record->args, expected) << c.why << "\n got " << Visible(record->args);
        EXPECT_EQ(record->currentDirectory, work_.string()) << c.why;
        EXPECT_EQ(record->probe, "kept \x95\x5c") << c.why;
        EXPECT_EQ(record->programFile, (bin_ / "ruvok").string()) << c.why;
    }
}

TEST_F(PosixLauncher, WithoutAViewerEndsQuietlyWithZero)
{
    const LaunchResult result = Launch({"a.txt"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(WaitForStandinRecord(record_, 300ms));
}

TEST_F(PosixLauncher, NotBesideItButOnPath)
{
    PutViewer(path_);
    const LaunchResult result = Launch({"a b.txt"});
    EXPECT_EQ(result.exitCode, 0);
    const auto record = WaitForStandinRecord(record_, 10s);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->programFile, (path_ / "ruvok").string());
    EXPECT_EQ(record->args, (std::vector<std::string>{"ruvok", "a b.txt"}));
    EXPECT_EQ(record->currentDirectory, work_.string());
}

TEST_F(PosixLauncher, BesideItComesBeforePath)
{
    PutViewer(path_);
    PutViewer(bin_);
    EXPECT_EQ(Launch({"a"}).exitCode, 0);
    const auto record = WaitForStandinRecord(record_, 10s);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->programFile, (bin_ / "ruvok").string());
}

TEST_F(PosixLauncher, ANonProgramBesideItFallsBackToPath)
{
    {
        std::FILE* f = std::fopen((bin_ / "ruvok").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    PutViewer(path_);
    EXPECT_EQ(Launch({"a"}).exitCode, 0);
    const auto record = WaitForStandinRecord(record_, 10s);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->programFile, (path_ / "ruvok").string());
}

TEST_F(PosixLauncher, EndsWithoutWaitingForTheViewer)
{
    PutViewer(bin_);
    const std::string hold = (root_ / "hold").string();
    const LaunchResult result = Launch({"a"}, {"RUVOK_STANDIN_HOLD=" + hold});
    // The launcher has ended; the viewer is still waiting to write its record.
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(fs::exists(record_));
    std::FILE* f = std::fopen(hold.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(WaitForStandinRecord(record_, 20s));
}

}  // namespace
