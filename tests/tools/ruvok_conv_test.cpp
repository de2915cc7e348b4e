// ruvok-conv as a user runs it: options, the library's worked examples
// through the program, UTF-8 output, and every way input or output can fail.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "kanjicode.h"
#include "kanjicode_length.h"
#include "hex_bytes.h"
#include "program_runner.h"

namespace {

// A scratch folder that an unprivileged user can enter, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/ruvok-conv-test.XXXXXX";
        m_path = mkdtemp(pattern);
        chmod(m_path.c_str(), 0755);
    }
    ~ScratchDir() {
        std::string command = "rm -rf '" + m_path + "'";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", m_path.c_str());
    }
    std::string Write(const std::string& name, const std::string& bytes, mode_t mode = 0644) {
        std::string path = m_path + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        chmod(path.c_str(), mode);
        return path;
    }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

RunResult RunOn(const std::vector<std::string>& args, const std::string& input) {
    RunOptions options;
    options.stdin_data = input;
    return RunProgram(args, options);
}

// ---- options ---------------------------------------------------------------

TEST(RuvokConvOptions, HelpAndVersion) {
    RunResult help = RunProgram({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("Usage: ruvok-conv [--detect | --utf8] [FILE ...]"), std::string::npos);
    EXPECT_NE(help.out.find("--detect"), std::string::npos);
    EXPECT_NE(help.out.find("lone CR"), std::string::npos) << "help must say what a lone CR becomes";
    EXPECT_EQ(help.err, "");

    RunResult version = RunProgram({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out, "ruvok-conv 1.0.0.1\n");
}

TEST(RuvokConvOptions, UsageErrorsExitWithTwo) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option: --bogus"},
        {{"-x", "file"}, "unknown option: -x"},
        {{"--detect", "--utf8"}, "exclude each other"},
    };
    for (const Case& c : cases) {
        RunResult r = RunOn(c.args, "abc");
        EXPECT_EQ(r.exit_code, 2) << c.args[0];
        EXPECT_EQ(r.out, "") << c.args[0];
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
}

TEST(RuvokConvOptions, DoubleDashMakesTheRestFiles) {
    ScratchDir dir;
    std::string dashed = dir.Write("--detect", "a\n");
    RunResult r = RunProgram({"--", dashed});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "a\r\n");
}

// ---- standard input --------------------------------------------------------

TEST(RuvokConvInput, StandardInputWithoutFilesAndAsDash) {
    ScratchDir dir;
    std::string file = dir.Write("f.txt", "f\n");
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "in\r\n"},
        {{"-"}, "in\r\n"},
        {{file, "-", file}, "f\r\nin\r\nf\r\n"},
    };
    for (const Case& c : cases) {
        RunResult r = RunOn(c.args, "in\n");
        EXPECT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(r.out, c.expected) << c.args.size() << " arguments";
    }
}

TEST(RuvokConvInput, EmptyInputGivesEmptyOutput) {
    RunResult r = RunOn({}, "");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST(RuvokConvInput, NulEndsTheTextAndItsOffsetIsReported) {
    struct Case {
        const char* hex;
        const char* out_hex;
        const char* message;
    };
    const Case cases[] = {
        {"61 00 62", "61", "NUL byte at offset 1 ends the text; it and the 1 byte after it are left out"},
        {"00", "", "NUL byte at offset 0 ends the text; it and the 0 bytes after it are left out"},
        {"B0 A1 0A 00 B0 A1 B0 A1", "88 9F 0D 0A", "offset 3 ends the text; it and the 4 bytes"},
    };
    for (const Case& c : cases) {
        RunResult r = RunOn({}, Bytes(c.hex));
        EXPECT_EQ(r.exit_code, 0) << c.hex;
        EXPECT_EQ(Hex(r.out), c.out_hex) << c.hex;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.hex << ": " << r.err;
        EXPECT_NE(r.err.find("standard input"), std::string::npos) << r.err;
    }
    RunResult detect = RunOn({"--detect"}, Bytes("41 00 B0 A1"));
    EXPECT_EQ(detect.out, "SJIS\n") << "detection must stop at the NUL too";
    EXPECT_NE(detect.err.find("offset 1"), std::string::npos) << detect.err;
}

// ---- the library's worked examples, through the program -------------------

struct ExampleRow {
    const char* in;
    const char* out;  // converted text, or the detected code's name
    const char* reason;
};

void CheckRows(const std::vector<std::string>& args, const std::vector<ExampleRow>& rows, bool hex_out) {
    for (const ExampleRow& row : rows) {
        RunResult r = RunOn(args, Bytes(row.in));
        EXPECT_EQ(r.exit_code, 0) << row.in;
        std::string got = hex_out ? Hex(r.out) : r.out;
        EXPECT_EQ(got, row.out) << "input " << row.in << ": " << row.reason;
    }
}

TEST(RuvokConvExamples, Detection) {
    CheckRows({"--detect"},
              {
                  {"", "SJIS\n", "the terminator comes first"},
                  {"48 65 6C 6C 6F", "SJIS\n", "plain ASCII decides nothing"},
                  {"1B 24 42 30 21 1B 28 42", "JIS\n", "ESC followed by 0x24"},
                  {"61 62 63 1B 28 4A", "JIS\n", "ESC 0x28 'J' after ASCII"},
                  {"1B 28 3F", "JIS\n", "ESC 0x28 '?'"},
                  {"1B 28 49", "SJIS\n", "ESC 0x28 'I' decides nothing"},
                  {"1B 28 58 61 B0 A1", "EUC\n", "the unrecognised escape decides nothing; 0xB0 decides"},
                  {"8E B1", "SJIS\n", "0x8E lies in 0x80 to 0x9F"},
                  {"B1", "EUC\n", "a lone byte from 0xA0 to 0xDF"},
                  {"E0 A1 B0 A1", "EUC\n", "the pair is skipped, then 0xB0 decides"},
                  {"E0 E0 B0", "EUC\n", "the second 0xE0 is the first one's partner"},
                  {"E0 1B 24 42", "SJIS\n", "the ESC is the pending byte's partner"},
                  {"B0 A1 1B 24 42", "EUC\n", "the first deciding byte wins"},
              },
              false);
}

TEST(RuvokConvExamples, ShiftJis) {
    CheckRows({},
              {
                  {"61 0A 62", "61 0D 0A 62", "LF gains CR"},
                  {"61 0D 0A 62", "61 0D 0A 62", "CR LF stays"},
                  {"0A 0A", "0D 0A 0D 0A", "each LF gains CR; a leading LF too"},
                  {"88 9F B1 0A", "88 9F B1 0D 0A", "mended: 0xB1 is a half-width katakana, so the LF gains CR"},
                  {"88 9F FD 0A E0 0A", "88 9F FD 0D 0A E0 0A", "0xFD is a single byte, 0xE0 starts a pair"},
                  {"88 9F 61 62 80 0A", "88 9F 61 62 80 0D 0A", "0x80 is a single byte"},
              },
              true);
}

TEST(RuvokConvExamples, EucJp) {
    CheckRows({},
              {
                  {"B0 A1", "88 9F", ""},
                  {"A4 A2 A4 A4", "82 A0 82 A2", ""},
                  {"61 0A B0 A1", "61 0D 0A 88 9F", ""},
                  {"B0 A1 8E B1", "88 9F B1", "mended: SS2 0xB1 is that half-width katakana"},
                  {"B0 A1 8F B0 A1 0A", "88 9F 81 AC 0D 0A", "a JIS X 0212 character becomes GETA MARK"},
                  // Invalid in EUC-JP and valid in Shift_JIS: read as Shift_JIS.
                  {"B0 A1 8E A0", "B0 A1 8E A0", "SS2 then 0xA0 is no EUC-JP"},
                  {"B0 A1 A4 0A", "B0 A1 A4 0D 0A", "a pair cut by LF is no EUC-JP"},
                  {"B1 0A", "B1 0D 0A", "a pair cut by LF is no EUC-JP"},
              },
              true);
}

TEST(RuvokConvExamples, Jis) {
    CheckRows({},
              {
                  {"1B 24 42 24 22 24 24 1B 28 42 0A", "82 A0 82 A2 0D 0A", "the LF after ESC ( B gains CR"},
                  {"1B 24 42 21 21 21 60 5F 21 5E 7E 1B 28 42", "81 40 81 80 E0 40 9F FC",
                   "the thresholds of JisPairToSjis"},
                  {"1B 24 42 30 21 1B 28 49 31 1B 28 42", "88 9F B1", "mended: ESC ( I selects half-width katakana"},
                  {"1B 28 42 61 0E 31 0F 32 0A", "61 B1 32 0D 0A", "SO and SI switch katakana on and off"},
                  {"78 0D 1B 28 42 0A", "78 0D 0D 0A", "the previous byte is ESC after the sequence"},
                  {"1B 24 42 30 21 0A 30 1B 28 42", "88 9F 0D 75 AE", "an LF in kanji mode gains CR"},
                  {"1B 24 28 44 30 21 1B 28 42", "81 AC", "mended: ESC $ ( D is four bytes; JIS X 0212 becomes GETA MARK"},
                  {"1B 24 28 51 30 21 1B 28 42", "88 9F", "ESC $ ( Q selects kanji mode"},
                  {"61 1B 24", "61", "an escape sequence cut by the terminator writes nothing"},
                  {"1B 28 42 61 1B", "61 1B", "an ESC as the last byte in ASCII mode is copied"},
              },
              true);
}

TEST(RuvokConvExamples, EachFileIsItsOwnConversion) {
    ScratchDir dir;
    // The first text ends in kanji mode; the second starts in ASCII mode.
    std::string first = dir.Write("kanji.jis", Bytes("1B 24 42 30 21"));
    std::string second = dir.Write("ascii.jis", Bytes("61 62 1B 28 42"));
    RunResult r = RunProgram({first, second});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(Hex(r.out), "88 9F 61 62");

    RunResult detect = RunProgram({"--detect", first, second});
    EXPECT_EQ(detect.out, first + ": JIS\n" + second + ": JIS\n");
}

TEST(RuvokConvExamples, ConvertedNulBytesAreWrittenToo) {
    // These pairs map to a Shift_JIS byte 00; the text goes on after it.
    // FD FE first (EF 9E), which Shift_JIS has no place for, keeps the
    // texts EUC-JP, malformed as they are.
    CheckRows({},
              {
                  {"FD FE A1 60 61", "EF 9E 81 00 61", "EUC-JP A1 60 maps to 81 00"},
                  {"FD FE A2 02 B0 A1", "EF 9E 81 00 88 9F", "EUC-JP A2 02 maps to 81 00"},
              },
              true);

    // Longer texts, where the program looks for the end only as far as the
    // text could reach, with the 00 bytes right before the end.
    auto repeat = [](const std::string& s, int n) {
        std::string r;
        for (int i = 0; i < n; ++i) r += s;
        return r;
    };
    struct Case {
        std::string in, out;
        const char* what;
    };
    const Case cases[] = {
        {std::string(200, 'a') + Bytes("FD FE") + repeat(Bytes("A1 60"), 3),
         std::string(200, 'a') + Bytes("EF 9E") + repeat(Bytes("81 00"), 3),
         "EUC-JP pairs giving 81 00 at the end"},
        {Bytes("1B 24 42") + repeat(Bytes("A0 82"), 100), std::string(200, '\0'),
         "JIS pairs giving 00 00 only"},
        {repeat("a\n", 1000) + Bytes("FD FE A1 60"), repeat("a\r\n", 1000) + Bytes("EF 9E 81 00"),
         "every LF gains a CR, then 81 00"},
    };
    for (const Case& c : cases) {
        RunResult r = RunOn({}, c.in);
        EXPECT_EQ(r.exit_code, 0) << c.what;
        EXPECT_EQ(Hex(r.out), Hex(c.out)) << c.what;
    }
}

// ---- UTF-8 -----------------------------------------------------------------

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
        lines.push_back(text.substr(start, lf - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// Half-width katakana, U+FF61 to U+FF9F, in UTF-8.
bool HasHalfWidthKatakana(const std::string& utf8) {
    for (size_t i = 0; i + 2 < utf8.size(); ++i) {
        auto b0 = static_cast<unsigned char>(utf8[i]), b1 = static_cast<unsigned char>(utf8[i + 1]),
             b2 = static_cast<unsigned char>(utf8[i + 2]);
        if (b0 == 0xEF && ((b1 == 0xBD && b2 >= 0xA1) || (b1 == 0xBE && b2 <= 0x9F))) return true;
    }
    return false;
}

TEST(RuvokConvUtf8, SamplesInAllThreeCodesGiveTheSameText) {
    const std::string dir = RUVOK_EXAMPLES_DIR;
    const char* names[] = {"sample-sjis.txt", "sample-jis.txt", "sample-euc.txt"};
    std::vector<std::vector<std::string>> lines;
    for (const char* name : names) {
        std::string path = dir + "/" + name;
        if (access(path.c_str(), R_OK) != 0) GTEST_SKIP() << path << " is not there yet";
        RunResult r = RunProgram({"--utf8", path});
        EXPECT_EQ(r.exit_code, 0) << name << ": " << r.err;
        EXPECT_EQ(r.err, "") << name;
        EXPECT_EQ(r.out.find('\r'), std::string::npos) << name << ": line ends must be LF";
        lines.push_back(SplitLines(r.out));
    }
    // Every line agrees, the one with half-width katakana (SS2 in EUC-JP,
    // ESC ( I in JIS, single bytes in Shift_JIS) included.
    ASSERT_GT(lines[0].size(), 3u);
    ASSERT_EQ(lines[1].size(), lines[0].size()) << "JIS sample";
    ASSERT_EQ(lines[2].size(), lines[0].size()) << "EUC-JP sample";
    size_t katakana = 0;
    for (size_t i = 0; i < lines[0].size(); ++i) {
        katakana += HasHalfWidthKatakana(lines[0][i]);
        EXPECT_EQ(lines[1][i], lines[0][i]) << "JIS sample, line " << i + 1;
        EXPECT_EQ(lines[2][i], lines[0][i]) << "EUC-JP sample, line " << i + 1;
    }
    EXPECT_GE(katakana, 1u) << "the samples show half-width katakana";
}

TEST(RuvokConvUtf8, DecodesLineEndsAndCountsUndecodableBytes) {
    struct Case {
        const char* in;
        std::string out;
        const char* err;  // expected in standard error, or "" for none
    };
    const Case cases[] = {
        {"B0 A1 A4 A2", "\u4E9C\u3042", ""},
        {"1B 24 42 30 21 1B 28 42 0A", "\u4E9C\n", ""},
        {"88 9F 0D 0A 61 0D 62 0A 63", "\u4E9C\na\nb\nc", ""},
        {"78 0D 1B 28 42 0A", "x\n\n", ""},  // CR CR LF: a lone CR, then CR LF
        {"5C 7E", "\\~", ""},
        {"88 9F B1 DD", "\u4E9C\uFF71\uFF9D", ""},  // half-width katakana after a kanji
        {"78 80 79", "x\uFFFDy", "1 byte not decodable"},
        {"80 FD FE FF", "\uFFFD\uFFFD\uFFFD\uFFFD", "4 bytes not decodable"},
        {"80 85 40", "\uFFFD\uFFFD\uFFFD", "3 bytes not decodable"},  // 85 40 is unassigned
    };
    for (const Case& c : cases) {
        RunResult r = RunOn({"--utf8"}, Bytes(c.in));
        EXPECT_EQ(r.exit_code, 0) << c.in;
        EXPECT_EQ(r.out, c.out) << c.in << " gave " << Hex(r.out);
        if (*c.err)
            EXPECT_NE(r.err.find(c.err), std::string::npos) << c.in << ": " << r.err;
        else
            EXPECT_EQ(r.err, "") << c.in;
    }
}

TEST(RuvokConvUtf8, CrLfSplitBetweenDecodedPieces) {
    // The decoder hands on 65,536 UTF-16 units at a time; put a CR last in
    // the first piece and its LF first in the next.
    for (size_t before : {65535u, 65536u, 131071u}) {
        std::string input(before, 'a');
        input += "\r\nz";
        RunResult r = RunOn({"--utf8"}, input);
        EXPECT_EQ(r.out, std::string(before, 'a') + "\nz") << before;
    }
}

// ---- failures --------------------------------------------------------------

class RuvokConvFailures : public testing::Test {
protected:
    void SetUp() override {
        m_good1 = m_dir.Write("good1.txt", Bytes("B0 A1 0A"));
        m_good2 = m_dir.Write("good2.txt", Bytes("61 0A"));
    }
    // What good1 and good2 convert to, one after the other.
    static std::string GoodOutput() { return Bytes("88 9F 0D 0A 61 0D 0A"); }

    // Runs with the bad file between the good ones and checks that the good
    // ones are still converted, the bad one is named with its cause, and the
    // exit code says that something failed.
    void ExpectReportedBetweenGoodFiles(const std::string& bad, const std::string& cause,
                                        const RunOptions& options = {}) {
        RunResult r = RunProgram({m_good1, bad, m_good2}, options);
        EXPECT_EQ(r.exit_code, 1) << r.err;
        EXPECT_EQ(r.term_signal, 0);
        EXPECT_EQ(Hex(r.out), Hex(GoodOutput()));
        EXPECT_NE(r.err.find("ruvok-conv: " + bad + ": " + cause), std::string::npos) << r.err;

        RunResult detect = RunProgram({"--detect", m_good1, bad, m_good2}, options);
        EXPECT_EQ(detect.exit_code, 1);
        EXPECT_EQ(detect.out, m_good1 + ": EUC\n" + m_good2 + ": SJIS\n");
    }

    ScratchDir m_dir;
    std::string m_good1, m_good2;
};

TEST_F(RuvokConvFailures, MissingFile) {
    ExpectReportedBetweenGoodFiles(m_dir.Path("missing.txt"), "No such file or directory");
}

TEST_F(RuvokConvFailures, Directory) {
    ExpectReportedBetweenGoodFiles(m_dir.Path(""), "Is a directory");
}

TEST_F(RuvokConvFailures, UnreadableFile) {
    std::string locked = m_dir.Write("locked.txt", "secret\n", 0000);
    RunOptions options;
    if (geteuid() == 0) {
        // Root reads any file whatever its mode; the program must run as a user
        // the permission bits apply to.
        options.run_as_uid = UnprivilegedUid();
        // The build tree may sit where that user cannot go (under /root, say):
        // run a copy from the scratch folder.
        options.program = m_dir.Write("ruvok-conv", ReadWholeFile(RUVOK_CONV_PATH), 0755);
        RunResult probe = RunProgram({"--version"}, options);
        if (probe.exit_code == 125) GTEST_SKIP() << "cannot switch to an unprivileged user";
        ASSERT_EQ(probe.exit_code, 0) << "the program cannot run as uid " << options.run_as_uid;
    }
    ExpectReportedBetweenGoodFiles(locked, "Permission denied", options);
}

TEST_F(RuvokConvFailures, FullDisk) {
    for (const char* mode : {"", "--utf8", "--detect"}) {
        RunOptions options;
        options.stdout_path = "/dev/full";
        std::vector<std::string> args{m_good1, m_good2};
        if (*mode) args.insert(args.begin(), mode);
        RunResult r = RunProgram(args, options);
        EXPECT_EQ(r.exit_code, 1) << mode;
        EXPECT_NE(r.err.find("write error on standard output: No space left on device"), std::string::npos)
            << mode << ": " << r.err;
    }
}

TEST_F(RuvokConvFailures, ClosedPipe) {
    for (const char* mode : {"", "--utf8", "--detect"}) {
        RunOptions options;
        options.stdout_reader_closed = true;
        std::vector<std::string> args{m_good1, m_good2};
        if (*mode) args.insert(args.begin(), mode);
        RunResult r = RunProgram(args, options);
        EXPECT_EQ(r.term_signal, 0) << mode << ": killed by a signal instead of reporting";
        EXPECT_EQ(r.exit_code, 1) << mode;
        EXPECT_NE(r.err.find("write error on standard output: Broken pipe"), std::string::npos)
            << mode << ": " << r.err;
    }
}

TEST_F(RuvokConvFailures, GoodRunsExitWithZeroAndSayNothing) {
    RunResult r = RunProgram({m_good1, m_good2});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Hex(r.out), Hex(GoodOutput()));
}

// ---- agreement with the library -------------------------------------------

// What the library makes of a text, by its own length.
std::string LibraryConversion(const std::string& text) {
    std::vector<char> out(2 * text.size() + 1);
    size_t length = ConvertToSjisLength(out.data(), text.c_str(), text.size());
    return std::string(out.data(), length);
}

std::string LibraryDetection(const std::string& text) {
    switch (DetectKanjiCode(text.c_str())) {
    case KC_JIS: return "JIS";
    case KC_EUC: return "EUC";
    default: return "SJIS";
    }
}

// Random texts with the bytes that steer the converters over-represented,
// 00 bytes of the output's own included (EUC-JP x 02, x 60; JIS A0 82).
std::vector<std::string> RandomTexts(size_t count, size_t max_length) {
    static const unsigned char kWeighted[] = {0x1B, '$', '(', 'B', 'J', '@', 0x0A, 0x0D, 0x02, 0x60,
                                              0x80, 0x82, 0x8E, 0x9F, 0xA0, 0xE0, 0xFF, 'a'};
    std::mt19937 rng(12345);
    std::vector<std::string> texts;
    for (size_t i = 0; i < count; ++i) {
        size_t length = std::uniform_int_distribution<size_t>(0, max_length)(rng);
        std::string text;
        for (size_t k = 0; k < length; ++k) {
            if (rng() % 2)
                text += static_cast<char>(kWeighted[rng() % sizeof kWeighted]);
            else
                text += static_cast<char>(1 + rng() % 255);
        }
        texts.push_back(text);
    }
    return texts;
}

// Runs the program once over all texts, as one file each, and compares its
// output with the library's conversion (or detection) of each.
void ExpectProgramMatchesLibrary(const std::vector<std::string>& texts, const std::string& label) {
    ScratchDir dir;
    std::vector<std::string> paths;
    std::string converted, detected;
    for (size_t i = 0; i < texts.size(); ++i) {
        paths.push_back(dir.Write(std::to_string(i), texts[i]));
        converted += LibraryConversion(texts[i]);
        detected += paths.back() + ": " + LibraryDetection(texts[i]) + "\n";
    }
    RunResult r = RunProgram(paths);
    EXPECT_EQ(r.exit_code, 0) << label << ": " << r.err;
    if (r.out != converted) {
        // Find the first text that differs, to say which.
        for (size_t i = 0; i < texts.size(); ++i) {
            RunResult one = RunProgram({paths[i]});
            ASSERT_EQ(Hex(one.out), Hex(LibraryConversion(texts[i])))
                << label << " #" << i << ": input " << Hex(texts[i]);
        }
        ADD_FAILURE() << label << ": outputs differ only when run together";
    }
    RunResult d = RunProgram([&] {
        std::vector<std::string> args{"--detect"};
        args.insert(args.end(), paths.begin(), paths.end());
        return args;
    }());
    EXPECT_EQ(d.out, detected) << label;
}

TEST(RuvokConvLibraryMatch, EveryPrefixOfTheSamples) {
    for (const char* name : {"sample-jis.txt", "sample-euc.txt", "sample-sjis.txt"}) {
        std::string sample = ReadWholeFile(std::string(RUVOK_EXAMPLES_DIR) + "/" + name);
        if (sample.empty()) GTEST_SKIP() << name << " is not there yet";
        std::vector<std::string> prefixes;
        for (size_t n = 0; n <= std::min<size_t>(200, sample.size()); ++n) prefixes.push_back(sample.substr(0, n));
        ExpectProgramMatchesLibrary(prefixes, name);
    }
}

TEST(RuvokConvLibraryMatch, RandomTextsWithTheBytesThatMatter) {
    ExpectProgramMatchesLibrary(RandomTexts(400, 300), "random");
}

// ---- size --------------------------------------------------------------

// A text of `lines` copies of one line, big enough to cross every buffer and
// chunk boundary of the program.
struct BigText {
    std::string euc, sjis, utf8;
};

BigText MakeBigText(size_t lines) {
    // "漢字とかな ASCII 123" + LF, in EUC-JP, in Shift_JIS with CR LF, in UTF-8.
    const std::string euc_line = Bytes("B4 C1 BB FA A4 C8 A4 AB A4 CA") + " ASCII 123\n";
    const std::string sjis_line = Bytes("8A BF 8E 9A 82 C6 82 A9 82 C8") + " ASCII 123\r\n";
    const std::string utf8_line = "\u6F22\u5B57\u3068\u304B\u306A ASCII 123\n";
    BigText text;
    text.euc.reserve(lines * euc_line.size());
    for (size_t i = 0; i < lines; ++i) {
        text.euc += euc_line;
        text.sjis += sjis_line;
        text.utf8 += utf8_line;
    }
    return text;
}

TEST(RuvokConvSize, SixtyFourMebibytesFromFileAndPipe) {
    const size_t kLines = (size_t{64} << 20) / 21;
    BigText text = MakeBigText(kLines);
    ASSERT_GE(text.euc.size(), (size_t{64} << 20) - 32);
    ScratchDir dir;
    std::string path = dir.Write("big.euc", text.euc);

    RunResult from_file = RunProgram({path});
    EXPECT_EQ(from_file.exit_code, 0) << from_file.err;
    EXPECT_TRUE(from_file.out == text.sjis) << "file: " << from_file.out.size() << " bytes, expected "
                                            << text.sjis.size();

    RunResult from_pipe = RunOn({"--utf8"}, text.euc);
    EXPECT_EQ(from_pipe.exit_code, 0) << from_pipe.err;
    EXPECT_TRUE(from_pipe.out == text.utf8) << "pipe: " << from_pipe.out.size() << " bytes, expected "
                                            << text.utf8.size();
}

}  // namespace
