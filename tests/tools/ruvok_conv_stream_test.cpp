// ruvok-conv reads and converts in pieces: from a file and from a pipe its
// output is byte for byte the library's conversion of the whole text,
// however detection is delayed, and its memory stays small on a stream of
// several gigabytes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kanjicode.h"
#include "kanjicode_length.h"
#include "program_runner.h"

namespace {

std::string Library(const std::string& text) {
    std::string in(text.c_str());  // the text ends at its first NUL
    std::string out(2 * in.size() + 1, '\0');
    out.resize(ConvertToSjisLength(&out[0], in.c_str(), in.size()));
    return out;
}

std::string Repeat(const std::string& s, size_t times) {
    std::string r;
    r.reserve(s.size() * times);
    for (size_t i = 0; i < times; ++i) r += s;
    return r;
}

class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/ruvok-conv-stream.XXXXXX";
        m_dir = mkdtemp(pattern);
    }
    ~Scratch() {
        std::string command = "rm -rf '" + m_dir + "'";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", m_dir.c_str());
    }
    std::string Write(const std::string& bytes) {
        std::string path = m_dir + "/t" + std::to_string(m_count++);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::string m_dir;
    int m_count = 0;
};

// Texts whose detection waits: undecided bytes (a pair from 0xE0 that
// detection skips, ESC ( I, SO, an ESC that starts nothing) from early on,
// with the deciding byte only after more than one piece of the program, or
// never; and the same with a NUL in them.
std::vector<std::pair<std::string, std::string>> DelayedTexts() {
    const size_t kFar = (size_t{256} << 10) * 3 + 5;
    std::mt19937_64 rng(7);
    std::string ascii;
    while (ascii.size() < kFar) ascii += "line of text " + std::to_string(rng() % 1000) + "\n";
    std::string undecided;
    while (undecided.size() < kFar) undecided += "\xE0\xA1 ab\x1b(I12\x0e" "34\x0f\x1b" "x\n";
    return {
        {"ASCII, then EUC-JP", ascii + "\xB0\xA1\x8E\xB1\n"},
        {"ASCII, then JIS", ascii + "\x1b$B0!\x1b(I1\x1b(B\n"},
        {"ASCII only", ascii},
        {"undecided bytes, then EUC-JP", "ab\n" + undecided + "\xB0\xA1\x8E\xB1\n"},
        {"undecided bytes, then JIS", undecided + "\x1b$B0!\x1b(B\n" + undecided},
        {"undecided bytes, then Shift_JIS", undecided + "\x88\x9F\xB1\n" + undecided},
        {"undecided bytes to the end", undecided},
        {"undecided bytes, then a NUL", undecided + std::string(1, '\0') + "\xB0\xA1"},
        {"ESC ( I at the start", "\x1b(I123" + ascii + "\x1b(B\n"},
        {"a lone ESC before the end", ascii + "\x1b"},
        {"kanji, then a NUL far on", "\xB0\xA1\n" + ascii + std::string(1, '\0') + ascii},
    };
}

TEST(RuvokConvStream, DelayedDetectionFromFileAndPipe) {
    Scratch scratch;
    for (const auto& [name, text] : DelayedTexts()) {
        const std::string want = Library(text);
        const std::string path = scratch.Write(text);
        RunResult file = RunProgram({path});
        EXPECT_EQ(file.exit_code, 0) << name << ": " << file.err;
        EXPECT_TRUE(file.out == want) << name << " from a file: " << file.out.size() << " bytes, expected "
                                      << want.size();
        RunOptions piped;
        piped.stdin_data = text;
        RunResult pipe = RunProgram({}, piped);
        EXPECT_EQ(pipe.exit_code, 0) << name << ": " << pipe.err;
        EXPECT_TRUE(pipe.out == want) << name << " from a pipe: " << pipe.out.size() << " bytes, expected "
                                      << want.size();
        auto report = [](const std::string& err) { return err.substr(std::min(err.size(), err.find("NUL"))); };
        EXPECT_EQ(report(file.err), report(pipe.err)) << name << ": the NUL report must not depend on the input's kind";
        RunResult detect = RunProgram({"--detect", path});
        const char* code = DetectKanjiCode(std::string(text.c_str()).c_str()) == KC_JIS  ? "JIS\n"
                           : DetectKanjiCode(std::string(text.c_str()).c_str()) == KC_EUC ? "EUC\n"
                                                                                         : "SJIS\n";
        EXPECT_EQ(detect.out, code) << name;
    }
}

// What a pipe gave before the detection decided waits in a file in the
// folder TMPDIR names, as the user asked, and never in /tmp regardless.
TEST(RuvokConvStream, APipesTextWaitsWhereTmpdirSays) {
    Scratch scratch;
    const std::string text = DelayedTexts()[3].second;  // held back: the codes read it apart
    const std::string want = Library(text);
    const std::string folder = scratch.Write("") + ".d";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const char* saved = std::getenv("TMPDIR");
    const std::string before = saved != nullptr ? saved : "";
    const struct {
        const char* tmpdir;  // nullptr: unset
        bool works;
        const char* why;
    } rows[] = {
        {nullptr, true, "no TMPDIR: the system's folder"},
        {folder.c_str(), true, "a folder of the user's"},
        {"/nonexistent/ruvok-conv", false, "a folder that does not exist"},
    };
    for (const auto& row : rows) {
        if (row.tmpdir != nullptr)
            setenv("TMPDIR", row.tmpdir, 1);
        else
            unsetenv("TMPDIR");
        RunOptions piped;
        piped.stdin_data = text;
        RunResult pipe = RunProgram({}, piped);
        EXPECT_EQ(pipe.exit_code == 0, row.works) << row.why << ": " << pipe.err;
        if (row.works) {
            EXPECT_TRUE(pipe.out == want) << row.why;
        } else {
            EXPECT_FALSE(pipe.err.empty()) << row.why << ": the failure says so";
        }
    }
    if (saved != nullptr)
        setenv("TMPDIR", before.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

// Standard input may be a file already read in part: the text is what
// follows, and a second reading starts there too.
TEST(RuvokConvStream, StandardInputFromTheMiddleOfAFile) {
    Scratch scratch;
    const std::string head = "head \xB0\xA1 that is not part of the text\n";
    std::string undecided;
    while (undecided.size() < (size_t{600} << 10)) undecided += "\xE0\xA1 ab\n";
    for (const std::string& text : {undecided + "\xB0\xA1\n", undecided + std::string(1, '\0') + "xyz"}) {
        const std::string path = scratch.Write(head + text);
        int fd = open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(lseek(fd, static_cast<off_t>(head.size()), SEEK_SET), static_cast<off_t>(head.size()));
        int out[2], err[2];
        ASSERT_EQ(pipe(out), 0);
        ASSERT_EQ(pipe(err), 0);
        pid_t pid = fork();
        if (pid == 0) {
            dup2(fd, 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            for (int i = 3; i < 1024; ++i) close(i);
            execl(RUVOK_CONV_PATH, RUVOK_CONV_PATH, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fd);
        close(out[1]);
        close(err[1]);
        std::string got, message;
        char buf[65536];
        for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
        for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;) message.append(buf, static_cast<size_t>(n));
        close(out[0]);
        close(err[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_TRUE(got == Library(text)) << got.size() << " bytes, expected " << Library(text).size();
        if (text.find('\0') != std::string::npos) {
            EXPECT_NE(message.find("offset " + std::to_string(undecided.size()) + " ends the text; it and the 3 bytes"),
                      std::string::npos)
                << message;
        }
    }
}

// Random texts of the bytes that matter, around the program's piece size,
// from a file and from a pipe.
TEST(RuvokConvStream, RandomTextsAcrossPieces) {
    Scratch scratch;
    std::mt19937_64 rng(0x5eed);
    const char* const kUnits[] = {"\x1b$B", "\x1b(B", "\x1b(I", "\x1b$(D", "\x0e", "\x0f", "\n", "\r\n",
                                  "\xB0\xA1", "\x88\x9F", "\x8E\xB1", "\x8F\xA1\xA1", "\xE0\xA1", "0!", "ab"};
    for (int i = 0; i < 12; ++i) {
        std::string text;
        size_t length = (size_t{256} << 10) - 40 + rng() % (size_t{600} << 10);
        while (text.size() < length) {
            if (rng() % 3 == 0)
                text += static_cast<char>(1 + rng() % 255);
            else
                text += kUnits[rng() % (sizeof kUnits / sizeof kUnits[0])];
        }
        const std::string want = Library(text);
        RunResult file = RunProgram({scratch.Write(text)});
        RunOptions piped;
        piped.stdin_data = text;
        RunResult pipe = RunProgram({}, piped);
        EXPECT_TRUE(file.out == want) << "#" << i << " from a file";
        EXPECT_TRUE(pipe.out == want) << "#" << i << " from a pipe";
    }
}

// Several gigabytes of JIS text (kanji, half-width katakana, line ends)
// through a pipe, more than the program could ever have held: the output
// is the conversion of each repetition, and the program's peak memory is a
// few megabytes.
TEST(RuvokConvStream, SeveralGigabytesThroughAPipe) {
    // One line of 1,031 bytes (no power of two): the pieces end on every
    // kind of byte of it.
    std::string line = "\x1b$B4A;z$H$+$J\x1b(I6@6EC=D\x1b(B ASCII ";
    while (line.size() < 1020) line += "\x1b$B0!\x1b(B x";
    line.resize(1020);
    line += "\x1b(B tail\r\n\n";
    ASSERT_EQ(line.size(), 1031u);
    const std::string converted = Library(line);
    ASSERT_EQ(Library(line + line), converted + converted) << "each repetition must convert alike";

    const uint64_t kTotal = (uint64_t{4} << 30) + 12345;  // past 32-bit offsets
    const uint64_t lines = kTotal / line.size();
    int in[2], out[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
#ifdef F_SETPIPE_SZ
    fcntl(in[1], F_SETPIPE_SZ, 1 << 20);
    fcntl(out[1], F_SETPIPE_SZ, 1 << 20);
#endif
    signal(SIGPIPE, SIG_IGN);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        for (int fd = 3; fd < 1024; ++fd) close(fd);
        execl(RUVOK_CONV_PATH, RUVOK_CONV_PATH, static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    close(in[0]);
    close(out[1]);
    std::thread writer([&] {
        const std::string block = Repeat(line, (size_t{1} << 20) / line.size());
        const uint64_t perBlock = block.size() / line.size();
        for (uint64_t done = 0; done < lines;) {
            uint64_t n = std::min(perBlock, lines - done);
            const char* p = block.data();
            size_t left = n * line.size();
            while (left > 0) {
                ssize_t put = write(in[1], p, left);
                if (put < 0 && errno == EINTR) continue;
                if (put <= 0) {
                    close(in[1]);
                    return;
                }
                p += put;
                left -= static_cast<size_t>(put);
            }
            done += n;
        }
        close(in[1]);
    });

    const std::string expected = Repeat(converted, (size_t{1} << 20) / converted.size() + 2);
    std::vector<char> buf(size_t{1} << 20);
    uint64_t got = 0, mismatchAt = UINT64_MAX;
    for (;;) {
        ssize_t n = read(out[0], buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (mismatchAt == UINT64_MAX) {
            size_t phase = static_cast<size_t>(got % converted.size());
            if (std::memcmp(buf.data(), expected.data() + phase, static_cast<size_t>(n)) != 0) mismatchAt = got;
        }
        got += static_cast<uint64_t>(n);
    }
    close(out[0]);
    writer.join();
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(pid, &status, 0, &usage), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(got, lines * converted.size());
    EXPECT_EQ(mismatchAt, UINT64_MAX) << "the output differs from the conversion in the piece at " << mismatchAt;
    EXPECT_LT(usage.ru_maxrss, 16 * 1024) << "peak memory in KiB";
    std::printf("ruvok-conv: %.2f GB through a pipe, peak memory %ld KiB\n", lines * line.size() / 1e9,
                usage.ru_maxrss);
}

}  // namespace
