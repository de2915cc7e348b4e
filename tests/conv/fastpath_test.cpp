// Inputs shaped for the 16-byte block paths of the fast routines: long runs
// of one kind, and the bytes that end a fast run (LF, CR LF, lead bytes,
// escapes) at every offset across block edges. Each goes through
// ContractChecker, which compares fast and plain byte for byte.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "conv_test_support.h"
#include "kanjicode_paths.h"
#include "text_maker.h"

namespace convtest {
namespace {

// The same kind of byte over and over, cut to any length.
Bytes Filler(int kind, std::size_t length, TextMaker& maker)
{
    Bytes text;
    while (text.size() < length) {
        switch (kind) {
        case 0: text += static_cast<char>('a' + text.size() % 26); break;
        case 1: text += "\xb0\xa1"; break;                          // EUC-JP pairs
        case 2: text += "\x88\x9f"; break;                          // Shift_JIS pairs
        case 3: text += "\xe0\xa1"; break;                          // pairs detection skips
        case 4: text += static_cast<char>(maker.Between(0x80, 0xFF)); break;
        case 5: text += "0!"; break;                                // pairs in kanji mode
        case 6: text += static_cast<char>(maker.Between(0x21, 0x7E)); break;  // katakana mode
        case 7: text += "\x8e\xb1"; break;                          // EUC-JP half-width katakana
        case 8: text += "\x8f\xb0\xa1"; break;                      // EUC-JP JIS X 0212
        case 9: text += static_cast<char>(maker.Between(0xA1, 0xDF)); break;  // Shift_JIS katakana
        case 10: text += "0!"; break;                               // pairs of a set code page 932 lacks
        }
    }
    text.resize(length);
    return text;
}

constexpr int kFillerKinds = 11;

// What a filler needs before it to be read as meant: JIS text in its mode, or
// a kanji that decides the encoding.
Bytes FillerStart(int kind)
{
    switch (kind) {
    case 5: return "\x1b$B";
    case 6: return "\x1b(B\x1b(I";
    case 7: case 8: return "\xb0\xa1";
    case 9: return "\x88\x9f";
    case 10: return "\x1b$(D";
    default: return Bytes();
    }
}

const char* const kMarks[] = {
    "\n", "\r\n", "\r", "\n\n", "\r\r\n", "\x88\n", "\xb1\n", "\x88\x9f\n", "\x80\n",
    "\xff", "\x81", "\x1b$B", "\x1b(B", "\x1b$B0!\n0\x1b(B", "\x1b", "\x1b$", "\x1b(",
    "\r\x1b(B\n", "\xe0\xa1", "\xa1", "\x7f\x80\x81",
    "\x8e\xb1", "\x8e\xb1\n", "\x8f\xa1\xa1", "\x8f\xa1\n", "\x8e", "\x8f", "\x8f\xa1",
    "\x0e", "\x0f", "\x0e\n", "\r\x0e\n", "\x1b(I", "\x1b(I1\n", "\x1b$(D", "\x1b$(Q",
    "\x1b$(", "\xa0\n", "\xfd\n", "\xdf\n", "\xfc\n",
};

// A mark after every prefix length from 0 to 64 of every filler, with
// suffixes that end right at, before and after the next block edge. Kanji
// and the other mode fillers start with their escape sequences (and the EUC-JP
// and Shift_JIS ones with a kanji), which shifts the mark by a few more.
TEST(FastPath, MarkAtEveryOffset)
{
    TextMaker maker(TestSeed(0xb10c));
    ContractChecker checker(256);
    FailureLog log;
    for (int kind = 0; kind < kFillerKinds; ++kind)
        for (const char* mark : kMarks)
            for (std::size_t prefix = 0; prefix <= 64; ++prefix)
                for (std::size_t suffix : {0, 1, 2, 14, 15, 16, 17, 33}) {
                    Bytes text = FillerStart(kind);
                    text += Filler(kind, prefix, maker);
                    text += mark;
                    text += Filler(kind, suffix, maker);
                    std::string err = checker.Check(
                        text, "filler " + std::to_string(kind) + " prefix " +
                                  std::to_string(prefix) + " suffix " + std::to_string(suffix));
                    if (!err.empty()) log.Add(err);
                }
    EXPECT_EQ(log.Count(), 0);
}

// A CR at the last byte of one block and its LF at the first of the next,
// and a lead byte at the last byte of a block with its partner in the next,
// with text before them of every length modulo 16.
TEST(FastPath, PairsAcrossBlockEdges)
{
    TextMaker maker(TestSeed(0xed6e));
    ContractChecker checker(512);
    FailureLog log;
    const char* const kSplit[] = {"\r\n", "\x88\x9f", "\xb0\xa1", "\xe0\xa1", "\x81\n",
                                  "\xb1\n", "\x1b$", "\x1b(", "\x1b$B", "\x8e\xb1",
                                  "\x8f\xa1\xa1", "\x1b$(D", "\x1b(I", "\r\x0e\n", "\xfc\n"};
    for (int kind = 0; kind < kFillerKinds; ++kind)
        for (const char* split : kSplit)
            for (std::size_t block = 1; block <= 8; ++block)
                for (std::size_t lead = 0; lead < 16; ++lead) {
                    // The split bytes straddle the edge at 16 * block.
                    Bytes text = FillerStart(kind) + Filler(kind, lead, maker);
                    Bytes body = Filler(kind, 16 * block - 1, maker);
                    text += body;
                    text += split;
                    text += Filler(kind, 16 + lead, maker);
                    std::string err = checker.Check(
                        text, "split across block " + std::to_string(block) + " lead " +
                                  std::to_string(lead));
                    if (!err.empty()) log.Add(err);
                }
    EXPECT_EQ(log.Count(), 0);
}

// JIS blocks that switch mode several times or end several lines: short
// runs between escape sequences and line ends, repeated so that each kind of
// switch falls at every offset of a 16-, 32- and 64-byte block, after ASCII or
// after kanji of either parity. The rows that a block path cannot take whole
// (sequences it must leave to the one-unit steps, an LF where a pair starts,
// a sequence cut by the block's end) are among them.
TEST(FastPath, JisSwitchesInsideBlocks)
{
    struct Row {
        const char* name;
        const char* unit;  // repeated; starts and ends in ASCII mode unless noted
    };
    const Row kRows[] = {
        {"kanji then ASCII", "\x1b$B0!4A\x1b(Bab"},
        {"kanji then ASCII and LF", "\x1b$B0!4A%\"\x1b(B\n"},
        {"ASCII and LF after kanji", "\x1b$B0!\x1b(Bx\n"},
        {"CR LF after kanji", "\x1b$B0!\x1b(B\r\n"},
        {"CR, sequence, LF", "\r\x1b$B0!\x1b(B\n"},
        {"short lines", "a\nbc\n\n"},
        {"short CR LF lines", "a\r\nb\r\n"},
        {"lone CRs and LFs", "\r\r\n\n\ra"},
        {"adjacent sequences", "\x1b$B\x1b(B\x1b$B0!\x1b(B"},
        {"one-pair runs", "\x1b$B0\x1b(Ba\x1b$B!\"\x1b(B"},
        {"ESC ( J and ESC $ @", "\x1b$@0!\x1b(Jz"},
        {"same mode twice", "\x1b$B0!\x1b$B4A\x1b(B\x1b(Bq"},
        {"katakana between", "\x1b$B0!\x1b(I12\x1b(Ba"},
        {"SO and SI", "a\x0e" "12\x0f" "b"},
        {"JIS X 0212", "\x1b$(D0!\x1b(Ba"},
        {"ESC $ ( B", "\x1b$(B0!\x1b(B"},
        {"lone ESC in ASCII", "a\x1b" "b\x1bx"},
        {"LF where a pair starts", "\x1b$B0!\n0\x1b(B"},
        {"ESC inside a pair", "\x1b$B0\x1b(B!\x1b(B"},
        {"pair bytes that look like switches", "\x1b$B\x1b$\x1b(\x0e\x0f\r\n\x1b(B"},
        {"high bytes in both modes", "\x1b$B\xb0\xa1\x1b(B\xb0\xa1\n"},
        {"ends in kanji", "a\x1b$B0!4A"},
    };
    TextMaker maker(TestSeed(0x5e9));
    ContractChecker checker(512);
    FailureLog log;
    const Bytes kStarts[] = {"", "\x1b$B0!\x1b(B", "\x1b$B0", "\x1b$B"};
    for (const Row& row : kRows)
        for (const Bytes& start : kStarts)
            for (std::size_t shift = 0; shift < 64; ++shift)
                for (std::size_t repeat : {1, 3, 8}) {
                    // `start` decides the encoding and leaves ASCII mode, a
                    // pair cut in half, or kanji mode; `shift` bytes of the
                    // mode's filler move the row across the block.
                    Bytes text = start;
                    text += Filler(start.size() == 3 ? 5 : 6, shift, maker);
                    for (std::size_t r = 0; r < repeat; ++r) text += row.unit;
                    text += Filler(6, 40, maker);
                    std::string err = checker.Check(text, std::string(row.name) + " start " +
                                                              std::to_string(&start - kStarts) + " shift " +
                                                              std::to_string(shift) + " x" +
                                                              std::to_string(repeat));
                    if (!err.empty()) log.Add(err);
                }
    EXPECT_EQ(log.Count(), 0);
}

// Shift_JIS and EUC-JP blocks that end several lines or hold units shorter or
// longer than a pair: short runs repeated so that each falls at every offset
// of a 64-byte block, after pairs of either alignment. Among them the rows
// that a block cannot take whole (an SS3, an SS2 on a block's last byte, two
// CRs to put in) and CR LFs and lead bytes across a block's edge.
TEST(FastPath, PairUnitsInsideBlocks)
{
    struct Row {
        const char* name;
        int kind;          // the filler before: 1 EUC-JP pairs, 2 Shift_JIS pairs
        const char* unit;  // repeated
    };
    const Row kRows[] = {
        {"EUC-JP line", 1, "\xb0\xa1\xc4\xea\n"},
        {"EUC-JP short lines", 1, "\xb0\xa1\na\n\n"},
        {"EUC-JP CR LF lines", 1, "\xb0\xa1\r\nb\r\n"},
        {"EUC-JP lone CRs and LFs", 1, "\r\r\n\n\r\xa4\xa2"},
        {"EUC-JP partner LF", 1, "\xb0\n\n"},
        {"EUC-JP half-width katakana", 1, "\x8e\xb1\x8e\xdf"},
        {"EUC-JP SS2 and a line", 1, "\x8e\xb1\n\xb0\xa1"},
        {"EUC-JP SS2 without katakana", 1, "\x8e\xe0\x8e\x41\x8e\n"},
        {"EUC-JP SS3", 1, "\x8f\xb0\xa1\xb0\xa1"},
        {"EUC-JP SS3 cut short", 1, "\x8f\xb0\n\x8f\x41"},
        {"EUC-JP odd high bytes", 1, "\x81\xff\xa0" "a\xfe"},
        {"Shift_JIS line", 2, "\x88\x9f\x82\xa0\n"},
        {"Shift_JIS short lines", 2, "\x88\x9f\na\n\n"},
        {"Shift_JIS CR LF lines", 2, "\x88\x9f\r\nb\r\n"},
        {"Shift_JIS partner LF", 2, "\x88\n\n"},
        {"Shift_JIS katakana", 2, "\xb1\xdf\n\xb1"},
        {"Shift_JIS lead after katakana", 2, "\xb1\x88\x9f\xe0\x40"},
    };
    TextMaker maker(TestSeed(0x9a125));
    ContractChecker checker(512);
    FailureLog log;
    for (const Row& row : kRows)
        for (bool odd : {false, true})
            for (std::size_t shift = 0; shift < 64; ++shift)
                for (std::size_t repeat : {1, 3, 8}) {
                    // A pair decides the encoding; `odd` starts the filler
                    // one byte later, so that its pairs straddle even edges.
                    Bytes text = FillerStart(row.kind == 1 ? 7 : 9);
                    text += Filler(row.kind, 2, maker);
                    if (odd) text += "a";
                    text += Filler(row.kind, shift & ~std::size_t{1}, maker);
                    if (shift & 1) text += "b";
                    for (std::size_t r = 0; r < repeat; ++r) text += row.unit;
                    text += Filler(row.kind, 80, maker);
                    std::string err = checker.Check(text, std::string(row.name) + (odd ? " odd" : "") + " shift " +
                                                              std::to_string(shift) + " x" + std::to_string(repeat));
                    if (!err.empty()) log.Add(err);
                }
    EXPECT_EQ(log.Count(), 0);
}

// JIS texts made of short pieces drawn at random, many switches to a block
// as in kanji-heavy text: blocks that take several sequences at once, and
// among them the pieces that make a block stop or give up taking them so.
TEST(FastPath, JisPiecesAtRandom)
{
    struct Piece {
        const char* bytes;
        unsigned weight;
    };
    const Piece kPieces[] = {
        {"\x1b$B", 8}, {"\x1b(B", 8}, {"\x1b$@", 2}, {"\x1b(J", 2}, {"\x1b(I", 2},  // switches
        {"0!", 12}, {"4A", 6}, {"%\"", 4}, {"a", 10}, {"Zz", 4}, {"1", 3},            // pairs or single bytes
        {"\n", 4}, {"\r\n", 2}, {"\r", 1},                                           // line ends
        {"\x0e", 1}, {"\x0f", 1}, {"\x1b$(D", 1}, {"\x1b$(B", 1}, {"\x1b", 1},      // the one-unit step's
        {"\x1b$", 1}, {"\x1b(", 1}, {"\xb0", 1},
    };
    unsigned total = 0;
    for (const Piece& piece : kPieces) total += piece.weight;
    const std::uint64_t seed = TestSeed(0x7a1d);
    TextMaker maker(seed);
    ContractChecker checker(1024);
    FailureLog log;
    for (int i = 0; i < 20000; ++i) {
        // The first switch lets detection call the text JIS.
        Bytes text = i % 2 ? "\x1b$B" : "a\x1b(B";
        std::size_t length = maker.Between(64, 1000);
        while (text.size() < length) {
            unsigned pick = maker.Below(total);
            const Piece* piece = kPieces;
            while (pick >= piece->weight) pick -= (piece++)->weight;
            text += piece->bytes;
        }
        std::string err = checker.Check(text, "JIS pieces seed " + std::to_string(seed) + " #" + std::to_string(i));
        if (!err.empty()) log.Add(err);
    }
    EXPECT_EQ(log.Count(), 0);
}

// Long texts of one shape, where block paths run longest.
TEST(FastPath, LongRuns)
{
    const std::uint64_t seed = TestSeed(0x10c6);
    TextMaker maker(seed);
    ContractChecker checker(8192);
    FailureLog log;
    for (int i = 0; i < 6000; ++i) {
        std::size_t length = maker.Between(16, 8192);
        Bytes text;
        switch (i % 7) {
        case 0: text = maker.Ascii(length); break;
        case 1: text = maker.HighBytes(length); break;
        case 2: text = maker.KanjiMode(length); break;
        case 3: text = Filler(0, length, maker); break;              // ASCII, no line end
        case 4: text = "\xb0\xa1" + maker.HighBytes(length); break;  // EUC-JP by detection
        case 6: text = maker.KatakanaMix(length); break;
        case 5: {
            // Long ASCII runs with a line end or a high byte at random spots.
            text = maker.Ascii(length);
            for (int k = 0; k < 8; ++k) {
                std::size_t at = maker.Below(static_cast<unsigned>(text.size()));
                text[at] = "\n\r\x88\xb0\xe0\x1b\x80\xff"[k];
            }
            break;
        }
        }
        std::string err = checker.Check(
            text, "long run seed " + std::to_string(seed) + " #" + std::to_string(i));
        if (!err.empty()) log.Add(err);
    }
    EXPECT_EQ(log.Count(), 0);
}

// A few texts far longer than any block, so that offsets and counters run
// well past 16 bits.
TEST(FastPath, LargeTexts)
{
    const std::uint64_t seed = TestSeed(0x1a26e);
    TextMaker maker(seed);
    constexpr std::size_t kMax = 1 << 20;
    ContractChecker checker(kMax);
    FailureLog log;
    for (int i = 0; i < 8; ++i) {
        std::size_t length = kMax - maker.Below(1 << 16);
        Bytes text;
        switch (i % 4) {
        case 0: text = maker.Ascii(length); break;
        case 1: text = "\xb0\xa1" + maker.HighBytes(length - 2); break;
        case 2: text = maker.KanjiMode(length); break;
        case 3: text = maker.Weighted(length); break;
        }
        std::string err = checker.Check(
            text, "large text seed " + std::to_string(seed) + " #" + std::to_string(i));
        if (!err.empty()) log.Add(err);
    }
    EXPECT_EQ(log.Count(), 0);
}

// Texts of unknown length are searched for their NUL a piece at a time: the
// NUL just before, at and after a piece's end, and units, CR LFs and escape
// sequences cut by it, in texts of a few pieces of every encoding.
TEST(FastPath, PieceEdgesOfTextsOfUnknownLength)
{
    const std::size_t kPiece = kanji::kPieceSize;
    TextMaker maker(TestSeed(0x91ece));
    ContractChecker checker(3 * kPiece);
    FailureLog log;
    const int kKinds[] = {0, 1, 2, 5, 6, 7, 8};
    const char* const kCut[] = {"", "\r\n", "\x1b$B", "\x1b(B", "\x1b$(D", "\xb0\xa1", "\x88\x9f", "\x8f\xa1\xa1"};
    for (int kind : kKinds)
        for (const char* cut : kCut)
            for (std::size_t end = kPiece - 5; end <= kPiece + 5; ++end) {
                // `cut` straddles the first piece's end; the text ends
                // around the second's.
                Bytes text = FillerStart(kind);
                text += Filler(kind, end - text.size() - 1, maker);
                text += cut;
                text += Filler(kind, end + kPiece - text.size(), maker);
                std::string err = checker.Check(text, "filler " + std::to_string(kind) + " cut " + Hex(cut) +
                                                          " at " + std::to_string(end));
                if (!err.empty()) log.Add(err);
            }
    EXPECT_EQ(log.Count(), 0);
}

}  // namespace
}  // namespace convtest
