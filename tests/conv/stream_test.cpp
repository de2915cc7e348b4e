// Detection and conversion over pieces: however a text is cut, the pieces
// give byte for byte what one ConvertToSjisLength call gives for the whole,
// the code DetectKanjiCode gives, and no piece is read past its end (each
// piece sits flush against a guard page).
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "conv_test_support.h"
#include "kanjicode.h"
#include "kanjicode_length.h"
#include "kanjicode_plain.h"
#include "kanjicode_stream.h"
#include "text_maker.h"

namespace convtest {
namespace {

Bytes WholeConversion(const Bytes& text)
{
    Bytes out(2 * text.size() + 1, '\0');
    out.resize(ConvertToSjisLength(&out[0], text.c_str(), text.size()));
    return out;
}

// Converts `text` cut after each offset in `cuts` (ascending), the way a
// reader does: what a piece leaves over comes again before the next piece.
class PieceRunner {
public:
    explicit PieceRunner(std::size_t maxLength) : region_(maxLength + 8) {}

    Bytes Convert(const Bytes& text, int code, const std::vector<std::size_t>& cuts)
    {
        SjisStream stream;
        StartSjisStream(&stream, code);
        Bytes out, pending;
        std::size_t from = 0;
        for (std::size_t cut : cuts) {
            Bytes piece = pending + text.substr(from, cut - from);
            from = cut;
            const char* in = Place(piece, false);
            Bytes buf(2 * piece.size() + 1, '\0');
            std::size_t used = 0;
            buf.resize(ConvertSjisPiece(&stream, &buf[0], in, piece.size(), &used));
            out += buf;
            pending = piece.substr(used);
        }
        Bytes last = pending + text.substr(from);
        const char* in = Place(last, true);
        Bytes buf(2 * last.size() + 1, '\0');
        buf.resize(FinishSjisStream(&stream, &buf[0], in, last.size()));
        return out + buf;
    }

    int Detect(const Bytes& text, const std::vector<std::size_t>& cuts)
    {
        KanjiDetector detector;
        StartKanjiDetector(&detector);
        Bytes pending;
        std::size_t from = 0;
        for (std::size_t cut : cuts) {
            Bytes piece = pending + text.substr(from, cut - from);
            from = cut;
            std::size_t used = 0;
            int code = DetectInPiece(&detector, Place(piece, false), piece.size(), &used);
            if (code >= 0) return code;
            pending = piece.substr(used);
        }
        Bytes last = pending + text.substr(from);
        return FinishDetector(&detector, Place(last, true), last.size());
    }

private:
    // A piece ends at the guard page; the last one has its NUL there.
    const char* Place(const Bytes& piece, bool withNul)
    {
        if (withNul) return PlaceFlush(region_, piece);
        char* start = region_.End() - piece.size();
        std::memcpy(start, piece.data(), piece.size());
        return start;
    }

    GuardedRegion region_;
};

std::string Describe(const Bytes& text, const std::vector<std::size_t>& cuts)
{
    std::string s = "input: " + Hex(text) + "\n  cut after:";
    for (std::size_t c : cuts) s += " " + std::to_string(c);
    return s;
}

// Every text of the tables' kind, cut once at every position and in two at
// every pair of positions of short texts.
TEST(Pieces, EveryCutGivesTheWholeConversion)
{
    const std::uint64_t seed = TestSeed(0x91ece5);
    TextMaker maker(seed);
    PieceRunner runner(512);
    FailureLog log;
    for (int i = 0; i < 3000; ++i) {
        std::size_t length = maker.Below(i < 2000 ? 24 : 200);
        Bytes text;
        switch (i % 4) {
        case 0: text = maker.Weighted(length); break;
        case 1: text = maker.KatakanaMix(length); break;
        case 2: text = maker.KanjiMode(length); break;
        default: text = maker.HighBytes(length); break;
        }
        const int code = DetectKanjiCode(text.c_str());
        const Bytes whole = WholeConversion(text);
        auto check = [&](const std::vector<std::size_t>& cuts) {
            Bytes got = runner.Convert(text, code, cuts);
            if (got != whole)
                log.Add("seed " + std::to_string(seed) + " #" + std::to_string(i) + ": " +
                        Describe(text, cuts) + "\n  whole:  " + Hex(whole) + "\n  pieces: " + Hex(got));
            int detected = runner.Detect(text, cuts);
            if (detected != code)
                log.Add("detection over pieces gives " + std::string(KanjiCodeName(detected)) + ", not " +
                        KanjiCodeName(code) + "\n  " + Describe(text, cuts));
        };
        for (std::size_t a = 0; a <= text.size(); ++a) {
            check({a});
            if (text.size() <= 24)
                for (std::size_t b = a; b <= text.size(); ++b) check({a, b});
        }
    }
    EXPECT_EQ(log.Count(), 0);
}

// Long texts in pieces of every small size, so that blocks, and units cut
// by a piece's end, meet at every offset.
TEST(Pieces, LongTextsInPiecesOfEverySize)
{
    const std::uint64_t seed = TestSeed(0x10a6e5);
    TextMaker maker(seed);
    PieceRunner runner(8192);
    FailureLog log;
    for (int i = 0; i < 40; ++i) {
        std::size_t length = maker.Between(1000, 8000);
        Bytes text;
        switch (i % 5) {
        case 0: text = maker.Weighted(length); break;
        case 1: text = maker.KatakanaMix(length); break;
        case 2: text = maker.KanjiMode(length); break;
        case 3: text = "\xb0\xa1" + maker.HighBytes(length); break;
        default: text = maker.Ascii(length); break;
        }
        const int code = DetectKanjiCode(text.c_str());
        const Bytes whole = WholeConversion(text);
        for (std::size_t size = 1; size <= 70; ++size) {
            std::vector<std::size_t> cuts;
            for (std::size_t c = size; c < text.size(); c += size) cuts.push_back(c);
            Bytes got = runner.Convert(text, code, cuts);
            if (got != whole) {
                std::size_t at = 0;
                while (at < got.size() && at < whole.size() && got[at] == whole[at]) ++at;
                log.Add("seed " + std::to_string(seed) + " #" + std::to_string(i) + " in pieces of " +
                        std::to_string(size) + ": differs at output byte " + std::to_string(at));
            }
            if (runner.Detect(text, cuts) != code)
                log.Add("#" + std::to_string(i) + ": detection in pieces of " + std::to_string(size));
        }
    }
    EXPECT_EQ(log.Count(), 0);
}

}  // namespace
}  // namespace convtest

namespace convtest {
namespace {

// Texts whose first deciding byte names the other code, so that detection
// checks the rest to its end, in blocks where it can: Shift_JIS after a
// half-width katakana and a kanji (0xB1 says EUC-JP; 0x95 is none), EUC-JP
// after SS2 and a pair cut by LF (0x8E says Shift_JIS; 0xF3 before LF is
// none). The rest is mostly valid with a fault here and there, around the
// blocks' edges. The block scan, the plain one and the one over pieces must
// agree.
TEST(Pieces, TextsReadToTheEnd)
{
    const std::uint64_t seed = TestSeed(0x7e11d);
    TextMaker maker(seed);
    PieceRunner runner(1200);
    FailureLog log;
    for (int i = 0; i < 4000; ++i) {
        const bool sjis = i % 2 == 0;
        Bytes text = sjis ? "\xB1\x95\x5C" : "\x8E\xB1\xA4\xF3\n";
        std::size_t length = maker.Between(60, 1100);
        const bool faulty = maker.Below(3) == 0;
        while (text.size() < length) {
            unsigned r = maker.Below(100);
            if (faulty && r == 0) {
                text += static_cast<char>(maker.Between(0x80, 0xFF));  // anything
                text += static_cast<char>(maker.Between(0x01, 0xFF));
            } else if (r < 15) {
                text += static_cast<char>(maker.Between(0x20, 0x7E));
            } else if (r < 18) {
                text += '\n';
            } else if (sjis && r < 30) {
                text += static_cast<char>(maker.Between(0xA1, 0xDF));
            } else if (sjis) {
                text += static_cast<char>(maker.Below(2) ? maker.Between(0x81, 0x9F) : maker.Between(0xE0, 0xFC));
                unsigned t = maker.Between(0x40, 0xFB);
                text += static_cast<char>(t >= 0x7F ? t + 1 : t);
            } else if (r < 22) {
                text += '\x8E';
                text += static_cast<char>(maker.Between(0xA1, 0xDF));
            } else if (r < 24) {
                text += '\x8F';
                text += static_cast<char>(maker.Between(0xA1, 0xFE));
                text += static_cast<char>(maker.Between(0xA1, 0xFE));
            } else {
                text += static_cast<char>(maker.Between(0xA1, 0xFE));
                text += static_cast<char>(maker.Between(0xA1, 0xFE));
            }
        }
        const int code = DetectKanjiCode(text.c_str());
        const int plainCode = plain::DetectKanjiCode(text.c_str());
        std::string label = "seed " + std::to_string(seed) + " #" + std::to_string(i);
        if (code != plainCode)
            log.Add(label + ": the block scan gives " + KanjiCodeName(code) + ", the plain one " +
                    KanjiCodeName(plainCode) + "\n  input: " + Hex(text));
        if (!faulty && code != (sjis ? KC_SJIS : KC_EUC))
            log.Add(label + ": valid text detected as " + std::string(KanjiCodeName(code)) + "\n  input: " + Hex(text));
        std::size_t a = maker.Below(static_cast<unsigned>(text.size()) + 1);
        std::size_t b = maker.Below(static_cast<unsigned>(text.size()) + 1);
        if (runner.Detect(text, {std::min(a, b), std::max(a, b)}) != code)
            log.Add(label + ": detection over pieces differs\n  " + Describe(text, {std::min(a, b), std::max(a, b)}));
    }
    EXPECT_EQ(log.Count(), 0);
}

}  // namespace
}  // namespace convtest
