// Which texts are Unicode: byte-order marks, and UTF-8 that is valid
// throughout with a multi-byte character; one row a case.
#include <gtest/gtest.h>

#include "conv_test_support.h"
#include "unicode_form.h"

namespace convtest {
namespace {

struct FormRow {
    const char* input;
    int form;
    std::size_t bom;
    const char* reason;
};

const FormRow kFormRows[] = {
    {"", UF_NONE, 0, "an empty text is no Unicode"},
    {"48 65 6C 6C 6F 0A", UF_NONE, 0, "ASCII reads the same in every code"},
    {"EF BB BF", UF_UTF8, 3, "a UTF-8 mark alone"},
    {"EF BB BF 61 0A", UF_UTF8, 3, "a UTF-8 mark before ASCII"},
    {"EF BB BF 88 9F", UF_UTF8, 3, "the mark decides, whatever follows"},
    {"FF FE 61 00", UF_UTF16LE, 2, "the little-endian mark"},
    {"FE FF 00 61", UF_UTF16BE, 2, "the big-endian mark"},
    {"FF FE", UF_UTF16LE, 2, "a mark alone"},
    {"E3 81 82", UF_UTF8, 0, "one whole character of three bytes"},
    {"61 C3 A9 62", UF_UTF8, 0, "a two-byte character between ASCII"},
    {"F0 9F 98 80", UF_UTF8, 0, "a character outside the first plane"},
    {"E3 81 82 E3 81", UF_UTF8, 0, "a character cut by the end does not spoil the rest"},
    {"61 E3 81", UF_NONE, 0, "a cut character alone does not make UTF-8"},
    {"E3 81 82 41 81", UF_NONE, 0, "a stray continuation byte"},
    {"B0 A1 A4 A2", UF_NONE, 0, "EUC-JP"},
    {"88 9F 82 A0", UF_NONE, 0, "Shift_JIS"},
    {"C0 AF", UF_NONE, 0, "an overlong form"},
    {"E0 80 AF", UF_NONE, 0, "an overlong three-byte form"},
    {"ED A0 80", UF_NONE, 0, "a surrogate"},
    {"F4 90 80 80", UF_NONE, 0, "above U+10FFFF"},
    {"F5 80 80 80", UF_NONE, 0, "F5 starts nothing"},
    {"E3 81 82 00 41", UF_UTF8, 0, "a NUL is a byte like any other: the caller cuts at it"},
    {"E3 81 82 00 88", UF_NONE, 0, "what follows a NUL is looked at too"},
    {"EF BB", UF_NONE, 0, "a cut mark is no mark, and no character"},
};

TEST(UnicodeForm, Rows) {
    for (const FormRow& row : kFormRows) {
        Bytes text = FromHex(row.input);
        std::size_t bom = 99;
        int form = DetectUnicodeForm(text.data(), text.size(), &bom);
        EXPECT_EQ(form, row.form) << row.input << ": " << row.reason;
        EXPECT_EQ(bom, row.bom) << row.input << ": " << row.reason;
    }
}

// The prefix check over ASCII runs of every length around its eight-byte
// step, with a bad byte at each place.
TEST(UnicodeForm, ValidPrefixAtEveryOffset) {
    for (std::size_t n = 0; n < 40; ++n) {
        for (std::size_t bad = 0; bad <= n; ++bad) {
            Bytes text(n, 'a');
            if (bad < n) text[bad] = static_cast<char>(0xFF);
            EXPECT_EQ(ValidUtf8Prefix(text.data(), text.size()), bad) << n << " bytes, bad at " << bad;
        }
    }
}

}  // namespace
}  // namespace convtest
