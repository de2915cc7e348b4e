// ruvok-conv on Unicode text: what --detect names, what each kind of
// character becomes in code page 932, and the decision made late (valid
// UTF-8 is known only at the text's end) from a file and from a pipe.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "kanjicode_length.h"
#include "hex_bytes.h"
#include "program_runner.h"

namespace {

RunResult RunOn(const std::vector<std::string>& args, const std::string& input) {
    RunOptions options;
    options.stdin_data = input;
    return RunProgram(args, options);
}

class TextFile {
public:
    explicit TextFile(const std::string& bytes) {
        char pattern[] = "/tmp/ruvok-conv-unicode.XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0) close(fd);
        m_path = pattern;
        std::ofstream(m_path, std::ios::binary) << bytes;
    }
    ~TextFile() { std::remove(m_path.c_str()); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

struct Row {
    const char* in;
    const char* out;
    const char* reason;
};

TEST(RuvokConvUnicode, DetectNamesTheForm) {
    const Row rows[] = {
        {"E6 97 A5 E6 9C AC 0A", "UTF-8\n", "valid UTF-8 with a multi-byte character"},
        {"EF BB BF 61 0A", "UTF-8\n", "a UTF-8 byte-order mark, ASCII after it"},
        {"EF BB BF 88 9F", "UTF-8\n", "the mark decides, whatever follows"},
        {"FF FE 41 00", "UTF-16LE\n", "FF FE"},
        {"FE FF 00 41", "UTF-16BE\n", "FE FF"},
        {"FF FE", "UTF-16LE\n", "the mark alone"},
        {"E6 97 A5 E6 9C", "UTF-8\n", "a character cut by the end is no fault"},
        {"E6 97 A5 00 FF", "UTF-8\n", "a NUL byte ends UTF-8 text as any other"},
        {"61 62 0A", "SJIS\n", "ASCII alone is no Unicode"},
        {"E6 9C", "SJIS\n", "only a cut character: no multi-byte character"},
        {"E6 97 A5 FF", "SJIS\n", "0xFF is no UTF-8: the Japanese codes decide"},
        {"C3 A9 B0 A1 A4 F3 0A", "EUC\n", "valid UTF-8 at first, then EUC-JP"},
    };
    for (const Row& row : rows) {
        RunResult r = RunOn({"--detect"}, Bytes(row.in));
        EXPECT_EQ(r.exit_code, 0) << row.in;
        EXPECT_EQ(r.out, row.out) << "input " << row.in << ": " << row.reason;
    }
}

TEST(RuvokConvUnicode, EachCharacterAsCodePage932Has) {
    const Row rows[] = {
        {"E6 97 A5 E6 9C AC 0A", "93 FA 96 7B 0D 0A", "kanji, and LF gains CR"},
        {"61 0D 0A E6 97 A5 0D 62", "61 0D 0A 93 FA 0D 62", "CR LF and a lone CR stay"},
        {"EF BB BF 61 0A", "61 0D 0A", "the mark is no part of the text"},
        {"FF FE 41 00 0A 00 E5 65", "41 0D 0A 93 FA", "UTF-16LE"},
        {"FE FF 00 41 00 0D 00 0A 65 E5", "41 0D 0A 93 FA", "UTF-16BE"},
        {"EF BD B1 EF BE 9F", "B1 DF", "half-width katakana are single bytes"},
        {"E2 91 A0 E3 88 B1", "87 40 87 8A", "NEC extensions"},
        {"E9 AB 99", "FB FC", "an IBM extension kanji"},
        // Characters code page 932 lacks.
        {"E2 82 AC 31", "81 AC 31", "EURO SIGN"},
        {"ED 95 9C", "81 AC", "Hangul"},
        {"F0 9F 98 80 61", "81 AC 61", "an emoji, outside the BMP: one GETA MARK"},
        {"C2 A5", "81 AC", "YEN SIGN has no code of its own"},
        {"FF FE 00 D8 41 00", "81 AC 41", "an unpaired surrogate"},
        {"EF BB BF 61 FF 62", "61 81 AC 62", "a byte that starts no UTF-8 character"},
        {"EF BB BF 61 E6 97", "61 81 AC", "a character cut by the end"},
        // The Linux forms.
        {"E3 80 9C", "81 60", "WAVE DASH"},
        {"E2 80 96", "81 61", "DOUBLE VERTICAL LINE"},
        {"E2 88 92", "81 7C", "MINUS SIGN"},
        {"C2 A2 C2 A3 C2 AC", "81 91 81 92 81 CA", "CENT, POUND and NOT SIGN"},
        {"E2 80 94", "81 5C", "EM DASH"},
        {"C2 A6", "FA 55", "BROKEN BAR"},
        // ASCII as it is, controls included (ICU's table would swap them).
        {"EF BB BF 1A 1C 7F 09", "1A 1C 7F 09", "control codes"},
    };
    for (const Row& row : rows) {
        RunResult r = RunOn({}, Bytes(row.in));
        EXPECT_EQ(r.exit_code, 0) << row.in;
        EXPECT_EQ(Hex(r.out), row.out) << "input " << row.in << ": " << row.reason;
    }
}

TEST(RuvokConvUnicode, LackingCharactersAreCountedAndTheNulEndsUtf16) {
    RunResult lacking = RunOn({}, "\xE2\x82\xAC \xF0\x9F\x98\x80 \xE6\x97\xA5");
    EXPECT_EQ(lacking.exit_code, 0);
    EXPECT_NE(lacking.err.find("2 characters not in code page 932"), std::string::npos) << lacking.err;

    RunResult plain = RunOn({}, "\xE6\x97\xA5\n");
    EXPECT_EQ(plain.err, "") << "nothing to report";

    for (const char* in : {"FF FE 41 00 00 00 42 00 43", "FE FF 00 41 00 00 00 42 00"}) {
        RunResult r = RunOn({}, Bytes(in));
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(Hex(r.out), "41") << in;
        EXPECT_NE(r.err.find("NUL character at offset 4 ends the text; it and the 3 bytes"), std::string::npos)
            << in << ": " << r.err;
    }
}

// The Japanese text read back through --utf8 is the text it was made from.
TEST(RuvokConvUnicode, ReadsBackAsTheText) {
    const std::string text = "日本語のテキスト、ｶﾀｶﾅ ① 髙橋 〜\n二行目\n";
    RunResult r = RunOn({"--utf8"}, text);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "日本語のテキスト、ｶﾀｶﾅ ① 髙橋 ～\n二行目\n") << "WAVE DASH reads back as the code page's FULLWIDTH TILDE";
}

// Whether a text is UTF-8 is known only at its end or at its first byte
// UTF-8 has no place for; the program reads the text again (a file) or
// keeps it (a pipe) until then.
TEST(RuvokConvUnicode, LateDecisionFromFileAndPipe) {
    const std::string ascii(600 << 10, 'a');
    struct Case {
        const char* what;
        std::string in;
        std::string out;
    } cases[] = {
        {"the first multi-byte character far in", ascii + "\n\xE6\x97\xA5\n", ascii + "\r\n\x93\xFA\r\n"},
        {"UTF-8 from the start to the end", "\xE6\x97\xA5\n" + ascii, "\x93\xFA\r\n" + ascii},
        {"valid UTF-8 until a byte far in", "\xE6\x97\xA5\n" + ascii + "\x88\x9F\n", ""},
        {"ASCII, then a NUL that ends UTF-8", ascii + "\xC3\xA9" + std::string(1, '\0') + "\xFF",
         ascii + "\x81\xAC"},
    };
    // Where the text is no UTF-8, what the library gives for it.
    std::string& legacy = cases[2].out;
    legacy.resize(2 * cases[2].in.size() + 1);
    legacy.resize(ConvertToSjisLength(&legacy[0], cases[2].in.c_str(), cases[2].in.size()));
    for (const Case& c : cases) {
        TextFile file(c.in);
        RunResult fromFile = RunProgram({file.path()});
        EXPECT_EQ(fromFile.exit_code, 0) << c.what << ": " << fromFile.err;
        EXPECT_TRUE(fromFile.out == c.out) << c.what << " from a file: " << fromFile.out.size() << " bytes, expected "
                                           << c.out.size();
        RunResult fromPipe = RunOn({}, c.in);
        EXPECT_EQ(fromPipe.exit_code, 0) << c.what << ": " << fromPipe.err;
        EXPECT_TRUE(fromPipe.out == c.out) << c.what << " from a pipe: " << fromPipe.out.size() << " bytes, expected "
                                           << c.out.size();
    }
}

}  // namespace
