// Properties of the character mapping itself: the JIS X 0208 to Shift_JIS
// arithmetic is the standard one, the three encodings of the same text give
// the same Shift_JIS, Shift_JIS passes through untouched, and the C library's
// iconv agrees wherever both define the character.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "conv_test_support.h"
#include "kanjicode.h"
#include "text_maker.h"

#if !defined(_WIN32) && __has_include(<iconv.h>)
#include <iconv.h>
#define RUVOK_HAVE_ICONV 1
#endif

namespace convtest {
namespace {

Bytes PairToSjis(unsigned a, unsigned b)
{
    char in[2] = {static_cast<char>(a), static_cast<char>(b)};
    char out[2];
    JisPairToSjis(out, in);
    return Bytes(out, 2);
}

bool IsSjisLead(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF); }
bool IsSjisTrail(unsigned c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Both input bytes are read before either is written, for every byte pair.
TEST(JisPair, InPlaceEqualsSeparateForEveryPair)
{
    FailureLog log;
    for (unsigned a = 0; a < 256; ++a)
        for (unsigned b = 0; b < 256; ++b) {
            char buf[2] = {static_cast<char>(a), static_cast<char>(b)};
            JisPairToSjis(buf, buf);
            Bytes separate = PairToSjis(a, b);
            if (Bytes(buf, 2) != separate)
                log.Add("JisPairToSjis in place on " + Hex(Bytes{char(a), char(b)}) + " gives " +
                        Hex(Bytes(buf, 2)) + ", not " + Hex(separate));
        }
    EXPECT_EQ(log.Count(), 0);
}

// The 94 x 94 codes map one to one onto Shift_JIS lead 81-9F/E0-EF and
// trail 40-7E/80-FC, and in the order of the codes.
TEST(JisPair, StandardMappingIsOneToOneAndOrdered)
{
    std::set<Bytes> seen;
    Bytes previous;
    FailureLog log;
    for (unsigned a = 0x21; a <= 0x7E; ++a)
        for (unsigned b = 0x21; b <= 0x7E; ++b) {
            Bytes s = PairToSjis(a, b);
            auto lead = static_cast<unsigned char>(s[0]);
            auto trail = static_cast<unsigned char>(s[1]);
            std::string code = Hex(Bytes{char(a), char(b)});
            if (!IsSjisLead(lead) || !IsSjisTrail(trail))
                log.Add(code + " maps outside Shift_JIS: " + Hex(s));
            if (!seen.insert(s).second) log.Add(code + " maps onto a code already taken: " + Hex(s));
            if (!previous.empty() &&
                std::memcmp(s.data(), previous.data(), 2) <= 0)
                log.Add(code + " maps to " + Hex(s) + ", not after " + Hex(previous));
            previous = s;
        }
    EXPECT_EQ(seen.size(), 94u * 94u);
    EXPECT_EQ(log.Count(), 0);
}

// ---------------------------------------------------------------------------
// Random texts of JIS X 0208 characters, half-width katakana, JIS X 0212
// characters, ASCII and LF line ends, written three ways: the Shift_JIS that
// JisPairToSjis gives pair by pair (with CR LF, each katakana its own byte and
// each JIS X 0212 character GETA MARK), EUC-JP (each byte | 0x80, SS2 before a
// katakana, SS3 before JIS X 0212) and JIS (ESC $ B, ESC ( I or SO and SI,
// ESC $ ( D, back to ASCII with ESC ( B or ESC ( J).

struct ThreeForms {
    Bytes sjis, euc, jis;
};

ThreeForms MakeThreeForms(TextMaker& maker, std::size_t units)
{
    enum { kAscii, kKatakanaEsc, kKatakanaShift, kKanji, kJisX0212 } mode = kAscii;
    ThreeForms f;
    // Into a JIS mode, and the way back to ASCII first where a shift holds.
    auto enter = [&](decltype(mode) to) {
        if (mode == to) return;
        if (mode == kKatakanaShift) f.jis += '\x0f';
        switch (to) {
        case kAscii:
            if (mode != kKatakanaShift) f.jis += maker.Below(2) ? "\x1b(B" : "\x1b(J";
            break;
        case kKatakanaEsc: f.jis += "\x1b(I"; break;
        case kKatakanaShift:
            if (mode != kAscii) f.jis += "\x1b(B";
            f.jis += '\x0e';
            break;
        case kKanji: f.jis += maker.Below(2) ? "\x1b$B" : "\x1b$@"; break;
        case kJisX0212: f.jis += "\x1b$(D"; break;
        }
        mode = to;
    };
    // Start with a row 0x30 to 0x4F character, so that detection sees an
    // EUC-JP lead byte from 0xA0 to 0xDF before anything else decides, and
    // with a trail byte of 0xFD or 0xFE, which Shift_JIS has no place for:
    // random characters are no Japanese text, and a text that reads as both
    // codes would be left to how likely each reading is.
    bool first = true;
    for (std::size_t i = 0; i < units; ++i) {
        unsigned r = maker.Below(14);
        if (first || r < 6) {
            unsigned a = first ? maker.Between(0x30, 0x4F) : maker.Between(0x21, 0x74);
            unsigned b = first ? maker.Between(0x7D, 0x7E) : maker.Between(0x21, 0x7E);
            first = false;
            f.sjis += PairToSjis(a, b);
            f.euc += static_cast<char>(a | 0x80);
            f.euc += static_cast<char>(b | 0x80);
            enter(kKanji);
            f.jis += static_cast<char>(a);
            f.jis += static_cast<char>(b);
        } else if (r < 9) {
            unsigned k = maker.Between(0xA1, 0xDF);
            f.sjis += static_cast<char>(k);
            f.euc += '\x8e';
            f.euc += static_cast<char>(k);
            enter(maker.Below(2) ? kKatakanaEsc : kKatakanaShift);
            f.jis += static_cast<char>(k - 0x80);
        } else if (r < 10) {
            unsigned a = maker.Between(0x21, 0x7E), b = maker.Between(0x21, 0x7E);
            f.sjis += "\x81\xac";
            f.euc += '\x8f';
            f.euc += static_cast<char>(a | 0x80);
            f.euc += static_cast<char>(b | 0x80);
            enter(kJisX0212);
            f.jis += static_cast<char>(a);
            f.jis += static_cast<char>(b);
        } else {
            char c = r < 13 ? static_cast<char>(maker.Between(0x20, 0x7E)) : '\n';
            f.sjis += c == '\n' ? Bytes("\r\n") : Bytes(1, c);
            f.euc += c;
            enter(kAscii);
            f.jis += c;
        }
    }
    enter(kAscii);
    return f;
}

TEST(ThreeEncodings, GiveTheSameShiftJis)
{
    const std::uint64_t seed = TestSeed(0x3f0);
    TextMaker maker(seed);
    ContractChecker checker(8192);
    FailureLog log;
    for (int i = 0; i < 3000; ++i) {
        ThreeForms f = MakeThreeForms(maker, maker.Between(1, 1500));
        std::string label = "seed " + std::to_string(seed) + " #" + std::to_string(i);
        struct {
            const char* form;
            const Bytes& text;
            int code;
        } runs[] = {{"EUC-JP", f.euc, KC_EUC}, {"JIS", f.jis, KC_JIS}};
        for (const auto& run : runs) {
            std::string err = checker.Check(run.text, label);
            if (!err.empty()) {
                log.Add(err);
                continue;
            }
            if (checker.LastCode() != run.code)
                log.Add(label + ": " + run.form + " text detected as " +
                        KanjiCodeName(checker.LastCode()) + "\n  input: " + Hex(run.text));
            if (checker.LastOutput(0) != f.sjis)
                log.Add(label + ": " + run.form + " text converts to other Shift_JIS\n  input:    " +
                        Hex(run.text) + "\n  expected: " + Hex(f.sjis) +
                        "\n  actual:   " + Hex(checker.LastOutput(0)));
        }
    }
    EXPECT_EQ(log.Count(), 0);
}

// Shift_JIS with CR LF line ends, whole pairs (leads 81-9F and E0-FC) and
// single bytes (half-width katakana A1-DF, 80, A0, FD-FF) comes back
// unchanged.
TEST(ShiftJisText, WithCrLfAndWholePairsIsUnchanged)
{
    const std::uint64_t seed = TestSeed(0x5715);
    TextMaker maker(seed);
    ContractChecker checker(4096);
    FailureLog log;
    for (int i = 0; i < 5000; ++i) {
        Bytes text;
        std::size_t length = maker.Length(4000);
        bool decided = false;  // single high bytes only once a pair from 81-9F has decided
        while (text.size() < length) {
            unsigned r = maker.Below(24);
            if (r >= 20) {
                if (!decided) continue;
                text += static_cast<char>(r < 22 ? maker.Between(0xA1, 0xDF) : "\x80\xa0\xfd\xfe\xff"[maker.Below(5)]);
            } else if (r < 8) {
                unsigned lead = maker.Below(2) ? maker.Between(0x81, 0x9F) : maker.Between(0xE0, 0xFC);
                // 0x8E and 0x8F also start EUC-JP units; the others make
                // the text Shift_JIS alone.
                decided = decided || (lead <= 0x9F && lead != 0x8E && lead != 0x8F);
                unsigned trail = maker.Between(0x40, 0xFB);
                if (trail >= 0x7F) ++trail;  // 0x40-0x7E, 0x80-0xFC
                text += static_cast<char>(lead);
                text += static_cast<char>(trail);
            } else if (r < 10) {
                text += "\r\n";
            } else if (r < 11) {
                text += '\x80';
            } else {
                // No ESC either: an escape would make the text JIS.
                char c = static_cast<char>(maker.Between(0x01, 0x7F));
                if (c != '\n' && c != '\r' && c != '\x1b') text += c;
            }
        }
        if (!decided) text += "\x88\x9F";  // else it may read as EUC-JP too
        std::string label = "seed " + std::to_string(seed) + " #" + std::to_string(i);
        std::string err = checker.Check(text, label);
        if (!err.empty()) {
            log.Add(err);
            continue;
        }
        for (int c : {0, 1 + KC_SJIS})
            if (checker.LastOutput(c) != text)
                log.Add(label + ": " + kConverters[c].name + " changed Shift_JIS text\n  input:  " +
                        Hex(text) + "\n  output: " + Hex(checker.LastOutput(c)));
    }
    EXPECT_EQ(log.Count(), 0);
}

// ---------------------------------------------------------------------------

#ifdef RUVOK_HAVE_ICONV

// Converts with iconv; false when iconv does not define the input.
bool IconvConvert(iconv_t cd, const Bytes& in, Bytes* out)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    Bytes src = in;
    char buf[64];
    char* inp = &src[0];
    std::size_t inLeft = src.size();
    char* outp = buf;
    std::size_t outLeft = sizeof buf;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1)) return false;
    if (iconv(cd, nullptr, nullptr, &outp, &outLeft) == static_cast<std::size_t>(-1)) return false;
    *out = Bytes(buf, outp - buf);
    return true;
}

// Every JIS X 0208 character that iconv converts both from EUC-JP and from
// ISO-2022-JP to Shift_JIS, and back again to the same code, must convert
// to what the library gives.
TEST(Iconv, AgreesOnEveryCharacterBothDefine)
{
    iconv_t fromEuc = iconv_open("SHIFT_JIS", "EUC-JP");
    iconv_t fromJis = iconv_open("SHIFT_JIS", "ISO-2022-JP");
    iconv_t backToEuc = iconv_open("EUC-JP", "SHIFT_JIS");
    if (fromEuc == (iconv_t)-1 || fromJis == (iconv_t)-1 || backToEuc == (iconv_t)-1)
        GTEST_SKIP() << "iconv does not offer SHIFT_JIS, EUC-JP and ISO-2022-JP here";

    FailureLog log;
    int compared = 0;
    for (unsigned a = 0x21; a <= 0x74; ++a)
        for (unsigned b = 0x21; b <= 0x7E; ++b) {
            Bytes euc{static_cast<char>(a | 0x80), static_cast<char>(b | 0x80)};
            Bytes jis = Bytes("\x1b$B") + static_cast<char>(a) + static_cast<char>(b) + "\x1b(B";
            Bytes viaEuc, viaJis, back;
            if (!IconvConvert(fromEuc, euc, &viaEuc) || !IconvConvert(fromJis, jis, &viaJis))
                continue;
            // Characters iconv maps onto another code (or not one to one) are
            // not a shared definition.
            if (viaEuc.size() != 2 || viaEuc != viaJis ||
                !IconvConvert(backToEuc, viaEuc, &back) || back != euc)
                continue;
            ++compared;
            // Rows from 0x60 give EUC-JP lead bytes from 0xE0, which detection
            // skips, so the EUC-JP form goes to its converter directly.
            Bytes ours = Convert(ConvertEucText, euc);
            Bytes oursJis = Convert(ConvertToSjis, jis);
            if (ours != viaEuc || oursJis != viaEuc)
                log.Add("JIS " + Hex(Bytes{char(a), char(b)}) + ": iconv gives " + Hex(viaEuc) +
                        ", ConvertEucText gives " + Hex(ours) +
                        ", ConvertToSjis from JIS gives " + Hex(oursJis));
        }
    iconv_close(fromEuc);
    iconv_close(fromJis);
    iconv_close(backToEuc);
    // JIS X 0208 defines 6,879 characters; nearly all of them must be compared.
    EXPECT_GE(compared, 6800);
    EXPECT_EQ(log.Count(), 0);
}

#endif

}  // namespace
}  // namespace convtest
