// Real prose with half-width katakana, written by the C library's iconv as
// EUC-JP, Shift_JIS and ISO-2022-JP-3 (which uses ESC ( I), must convert to
// exactly what iconv makes of the same text as code page 932, with CR LF
// line ends: the check that the conversion keeps what the text means.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "conv_test_support.h"
#include "kanjicode.h"

#if !defined(_WIN32) && __has_include(<iconv.h>)
#include <iconv.h>

namespace convtest {
namespace {

// The whole of `utf8` in `code`, or an empty string when iconv lacks the
// code or a character of the text.
Bytes IconvFromUtf8(const char* code, const std::string& utf8)
{
    iconv_t cd = iconv_open(code, "UTF-8");
    if (cd == (iconv_t)-1) return Bytes();
    std::string in = utf8;
    std::string out(4 * in.size() + 16, '\0');
    char* inp = &in[0];
    std::size_t inLeft = in.size();
    char* outp = &out[0];
    std::size_t outLeft = out.size();
    bool ok = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) &&
              iconv(cd, nullptr, nullptr, &outp, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) return Bytes();
    out.resize(out.size() - outLeft);
    return out;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Code page 932 bytes never hold 0x0A but as a line end.
Bytes WithCrLf(const Bytes& text)
{
    Bytes out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST(IconvProse, EveryEncodingGivesCodePage932WithCrLf)
{
    const std::string prose = ReadFile(RUVOK_CONV_TEST_DATA "/prose-ja.txt");
    ASSERT_GT(prose.size(), 1000u) << "the prose file is missing";
    // Half-width katakana (U+FF61 to U+FF9F) come after the first kanji, so
    // that each encoding is detected as what it is.
    std::size_t katakana = prose.find("\xEF\xBD\xB1");
    std::size_t kanji = prose.find("\xE6\x97\xA5");  // the first character, a kanji
    ASSERT_EQ(kanji, 0u);
    ASSERT_NE(katakana, std::string::npos);

    const Bytes want = WithCrLf(IconvFromUtf8("CP932", prose));
    ASSERT_FALSE(want.empty()) << "iconv has no CP932 here";
    struct Form {
        const char* code;
        int detected;
    };
    const Form forms[] = {{"EUC-JP", KC_EUC}, {"SHIFT_JIS", KC_SJIS}, {"ISO-2022-JP-3", KC_JIS}};
    ContractChecker checker(8192);
    for (const Form& form : forms) {
        Bytes text = IconvFromUtf8(form.code, prose);
        if (text.empty()) {
            ADD_FAILURE() << "iconv cannot write the prose as " << form.code;
            continue;
        }
        ASSERT_EQ(checker.Check(text, form.code), "");
        EXPECT_EQ(checker.LastCode(), form.detected)
            << form.code << " detected as " << KanjiCodeName(checker.LastCode());
        const Bytes& got = checker.LastOutput(0);
        if (got == want) continue;
        std::size_t at = 0;
        while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
        std::size_t from = at < 16 ? 0 : at - 16;
        ADD_FAILURE() << form.code << ": differs from code page 932 at output byte " << at
                      << "\n  expected: " << Hex(want.substr(from, 48))
                      << "\n  actual:   " << Hex(got.substr(from, 48));
    }
}

}  // namespace
}  // namespace convtest

#endif
