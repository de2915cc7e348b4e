// Blocks of 64 bytes on AVX-512 (BW, VBMI and VBMI2) and BMI2; this file
// alone is compiled with those on, and it runs only where the processor has
// them.
//
// Kanji-heavy JIS text switches mode every few dozen bytes, so a block that
// stops at each escape sequence spends its time starting again. Here a block
// takes its escape sequences in its stride: mask arithmetic (or, for unusual
// blocks, a short walk over the sequences) finds the mode of every byte, the
// pairs and single bytes are mapped on the whole block at once, and the
// sequences' bytes are squeezed out with a compress. The block stops only
// where the one-unit step must decide: a shift (SO, SI), an ESC that does not
// start a whole ESC ( x or ESC $ x, an LF where a pair would start, or a
// sequence cut by the block's end. The CRs that LFs need are put in with the
// same compress.
//
// Shift_JIS and EUC-JP blocks take their line ends the same way, so that a
// line no longer ends a block (PairBlocks512 below).
#include <immintrin.h>

#include <cstdint>

#include "bytes.h"
#include "state.h"
#include "units.h"

namespace kanji {
namespace {

constexpr std::uint64_t kEven = 0x5555555555555555ull;
constexpr std::uint64_t kOdd = 0xAAAAAAAAAAAAAAAAull;

// Bits at and above `at` (below 64); none when `at` is 64.
inline std::uint64_t From(unsigned at) { return at >= 64 ? 0 : ~std::uint64_t{0} << at; }
// Bits below `at` (at most 64).
inline std::uint64_t Below(unsigned at) { return at >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << at) - 1; }
// The lowest set bit's position, or 64 when there is none.
inline unsigned Lowest(std::uint64_t x) { return x == 0 ? 64 : static_cast<unsigned>(__builtin_ctzll(x)); }

__m512i Set1(unsigned b) { return _mm512_set1_epi8(static_cast<char>(b)); }

// A byte in every place, made once before a loop and kept in a register:
// the compiler would rather make such a constant again at each use.
__m512i Kept(unsigned b) {
    __m512i v = Set1(b);
    asm("" : "+v"(v));
    return v;
}

// Byte i takes byte i - 1 of the block; byte 0 takes the last byte of the
// block before, the first byte of a carried pair.
alignas(64) const std::int8_t kUpOne[64] = {
    127, 0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
    21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42,
    43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62};
// Byte 2i is a CR (from the second vector), byte 2i + 1 byte i of the
// block's first half; then the same for its second half.
alignas(64) const std::int8_t kWithCr[2][64] = {
    {64, 0,  64, 1,  64, 2,  64, 3,  64, 4,  64, 5,  64, 6,  64, 7,  64, 8,  64, 9,  64, 10, 64,
     11, 64, 12, 64, 13, 64, 14, 64, 15, 64, 16, 64, 17, 64, 18, 64, 19, 64, 20, 64, 21, 64, 22,
     64, 23, 64, 24, 64, 25, 64, 26, 64, 27, 64, 28, 64, 29, 64, 30, 64, 31},
    {64, 32, 64, 33, 64, 34, 64, 35, 64, 36, 64, 37, 64, 38, 64, 39, 64, 40, 64, 41, 64, 42, 64,
     43, 64, 44, 64, 45, 64, 46, 64, 47, 64, 48, 64, 49, 64, 50, 64, 51, 64, 52, 64, 53, 64, 54,
     64, 55, 64, 56, 64, 57, 64, 58, 64, 59, 64, 60, 64, 61, 64, 62, 64, 63}};

// Writes the bytes of `y` that `keep` selects, each after a CR where
// `needCr` is set, and returns how many were written. Each byte gets a CR
// slot of its own, each half of the block in a vector of 128 bytes, and a
// compress keeps the bytes and the CRs wanted. Writes up to 128 bytes.
inline unsigned StoreWithCrs(Byte* o, __m512i y, std::uint64_t keep, std::uint64_t needCr) {
    const __m512i crs = Set1(kCr);
    std::uint64_t keepLow = _pdep_u64(keep, kOdd) | _pdep_u64(needCr, kEven);
    std::uint64_t keepHigh = _pdep_u64(keep >> 32, kOdd) | _pdep_u64(needCr >> 32, kEven);
    __m512i low = _mm512_permutex2var_epi8(y, _mm512_load_si512(kWithCr[0]), crs);
    __m512i high = _mm512_permutex2var_epi8(y, _mm512_load_si512(kWithCr[1]), crs);
    _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(keepLow, low));
    unsigned length = static_cast<unsigned>(__builtin_popcountll(keepLow));
    _mm512_storeu_si512(o + length, _mm512_maskz_compress_epi8(keepHigh, high));
    return length + static_cast<unsigned>(__builtin_popcountll(keepHigh));
}

// As StoreWithCrs, for any `keep`; `needCr` holds only bytes kept. With at
// most one CR, the usual case, the kept bytes are squeezed together with
// one compress, and those from the LF on move up one for its CR.
inline unsigned StoreKept(Byte* o, __m512i y, std::uint64_t keep, std::uint64_t needCr) {
    if (needCr & (needCr - 1)) return StoreWithCrs(o, y, keep, needCr);
    __m512i kept = _mm512_maskz_compress_epi8(keep, y);
    std::uint64_t cr = _pext_u64(needCr, keep);  // the LF's place among the kept bytes
    __m512i moved = _mm512_mask_permutexvar_epi8(kept, ~((cr << 1) - 1), _mm512_load_si512(kUpOne), kept);
    _mm512_storeu_si512(o + 1, kept);
    _mm512_storeu_si512(o, _mm512_mask_blend_epi8(cr, moved, Set1(kCr)));
    return static_cast<unsigned>(__builtin_popcountll(keep)) + (needCr != 0);
}

// Which bytes of `high` (the bytes that can start a pair) are lead bytes,
// when byte 0 starts a unit: every run of them begins at a unit start and
// alternates lead, partner, lead ...
inline std::uint64_t Leads(std::uint64_t high) {
    std::uint64_t starts = high & ~(high << 1);
    std::uint64_t evenRuns = high & ~(high + (starts & kEven));  // runs that start at an even offset
    return (evenRuns & kEven) | (high & ~evenRuns & kOdd);
}

}  // namespace

void JisBlocksAvx512(JisState& s) {
    constexpr unsigned kWidth = 64;
    const __m512i upOne = _mm512_load_si512(kUpOne);
    const __m512i escs = Kept(kEsc), lfs = Kept(kLf), crs = Kept(kCr), sos = Kept(kSo), notBit0 = Kept(0xFE);
    const __m512i dollars = Kept(kDollar), parens = Kept(kParen), kanaFinals = Kept(kKatakanaFinal);
    const __m512i x5e = Kept(0x5E), x5f = Kept(0x5F), x70 = Kept(0x70), xb0 = Kept(0xB0), ones = Kept(1);
    const __m512i x1f = Kept(0x1F), x20 = Kept(0x20), x7e = Kept(0x7E);
    // Locals, not the state's fields: the output stores may alias anything.
    const Byte* p = s.p;
    Byte* o = s.o;
    unsigned prev = s.prev;
    unsigned mode = s.mode;
    // A pair whose first byte ends a block and whose second starts the next:
    // the first is written with its block, the second with the next.
    std::uint64_t carry = 0;
    __m512i last = _mm512_setzero_si512();
    while (s.end - p >= kWidth) {
        FetchAhead(p);
        __m512i x = _mm512_loadu_si512(p);
        std::uint64_t esc = _mm512_cmpeq_epi8_mask(x, escs);
        std::uint64_t lf = _mm512_cmpeq_epi8_mask(x, lfs);
        std::uint64_t shifts = _mm512_cmpeq_epi8_mask(_mm512_and_si512(x, notBit0), sos);
        std::uint64_t dollar = _mm512_cmpeq_epi8_mask(x, dollars);
        std::uint64_t paren = _mm512_cmpeq_epi8_mask(x, parens);
        std::uint64_t kanaFinal = _mm512_cmpeq_epi8_mask(x, kanaFinals);
        // ESC ( x and ESC $ x (x not a parenthesis) whole in the block.
        std::uint64_t whole = esc & ((paren >> 1) | ((dollar >> 1) & ~(paren >> 2))) & Below(kWidth - 2);

        // Most blocks hold only whole ESC ( x and ESC $ x sequences that
        // start no pair and sit in no other: then each byte's mode follows
        // from the sequence before it without a walk. `fill` sets the bits
        // from each start up to the next sequence: the borrow of subtracting
        // a start runs up to the ESC above it.
        std::uint64_t leads = 0, lacking = 0, single = 0, kana = 0, sequences = 0;
        unsigned stop = kWidth;
        bool pairCut = false;  // whether a pair's first byte ends the block
        bool fast = false;
        // An ESC in the last two bytes, whose sequence the block cuts, ends
        // the block there; the next one starts with it.
        std::uint64_t cut = esc & ~Below(kWidth - 2);
        if (mode != kLackingMode && (esc & ~cut) == whole && (esc & ((esc << 1) | (esc << 2))) == 0) {
            auto fill = [esc](std::uint64_t starts) { return ((esc - starts) ^ esc) & ~esc; };
            std::uint64_t toKanji = esc & (dollar >> 1);
            std::uint64_t toKana = esc & ~toKanji & (kanaFinal >> 2);
            std::uint64_t toAscii = esc & ~toKanji & ~toKana;
            std::uint64_t kanjiStarts = (toKanji << 3) | std::uint64_t{mode == kKanjiMode};
            std::uint64_t kanji = fill(kanjiStarts);
            // A run of kanji has its leads on the bytes of the same parity
            // as its first byte; after a carried pair, the run at byte 0 has
            // them on the odd bytes. Both ways, so that the carry from the
            // block before only picks one.
            std::uint64_t oddStarts = kanjiStarts & kOdd;
            std::uint64_t oddRuns = fill(oddStarts);
            std::uint64_t oddRunsAfterCarry = fill(oddStarts | 1);
            std::uint64_t leadsAfterUnit = ((kanji ^ oddRuns) & kEven) | (oddRuns & kOdd);
            std::uint64_t leadsAfterCarry = ((kanji ^ oddRunsAfterCarry) & kEven) | (oddRunsAfterCarry & kOdd);
            leads = carry ? leadsAfterCarry : leadsAfterUnit;
            kana = fill((toKana << 3) | std::uint64_t{mode == kKatakanaMode});
            single = kana | fill((toAscii << 3) | std::uint64_t{mode == kAsciiMode});
            // No shift among single bytes, no LF where a pair starts, and no
            // pair whose second byte would be an ESC.
            if ((shifts & single) == 0 && (lf & leads) == 0 && (((leads << 1) | carry) & ~kanji) == 0) {
                fast = true;
                if (cut) stop = Lowest(cut);
                sequences = whole | (whole << 1) | (whole << 2);
                if (whole) {
                    unsigned last = 63 - static_cast<unsigned>(__builtin_clzll(whole));
                    mode = (dollar >> (last + 1)) & 1      ? kKanjiMode
                           : (kanaFinal >> (last + 2)) & 1 ? kKatakanaMode
                                                           : kAsciiMode;
                }
            } else {
                leads = single = kana = 0;
            }
        }

        if (!fast && carry) {
            // The walk starts at a unit: take the carried pair's first byte
            // back, and start again from it.
            p -= 1;
            o -= 1;
            carry = 0;
            continue;
        }
        if (!fast) {
            // The walk: from each mode switch to the next, which bytes are kanji
            // leads, lacking-set leads, single bytes and katakana.
            unsigned pos = 0;
            for (;;) {
                unsigned e;
                if (IsPairMode(mode)) {
                    std::uint64_t starts = (pos & 1) ? kOdd : kEven;
                    e = Lowest((esc | lf) & starts & From(pos));
                    if (e == kWidth && ((kWidth - pos) & 1)) {  // the last pair's partner is beyond
                        stop = kWidth - 1;
                        pairCut = true;
                    }
                    std::uint64_t segment = starts & From(pos) & Below(stop < e ? stop : e);
                    if (mode == kKanjiMode)
                        leads |= segment;
                    else
                        lacking |= segment;
                    if (e == kWidth) break;
                    if (!((esc >> e) & 1)) {  // an LF where a pair would start
                        stop = e;
                        break;
                    }
                } else {
                    e = Lowest((esc | shifts) & From(pos));
                    std::uint64_t segment = From(pos) & Below(e);
                    single |= segment;
                    if (mode == kKatakanaMode) kana |= segment;
                    if (e == kWidth) break;
                }
                if (!((whole >> e) & 1)) {
                    stop = e;
                    break;
                }
                sequences |= std::uint64_t{7} << e;
                mode = (dollar >> (e + 1)) & 1 ? kKanjiMode : (kanaFinal >> (e + 2)) & 1 ? kKatakanaMode : kAsciiMode;
                pos = e + 3;
                if (pos == kWidth) break;
            }
        }

        // Single-byte LFs whose previous byte is not a single-byte CR take a
        // CR before them.
        std::uint64_t cr = _mm512_cmpeq_epi8_mask(x, crs);
        std::uint64_t needCr = lf & single & ~((cr & single) << 1) & ~std::uint64_t{prev == kCr};
        needCr &= Below(stop);
        std::uint64_t taken = Below(stop);
        leads &= taken;
        lacking &= taken;
        single &= taken;
        sequences &= taken;

        // Kanji pairs: first byte ((a + 1) >> 1) + (a <= 0x5E ? 0x70 : 0xB0),
        // second b + (a even ? 0x7E : b <= 0x5F ? 0x1F : 0x20).
        __mmask64 low = _mm512_cmple_epu8_mask(x, x5e);
        __m512i first = _mm512_add_epi8(_mm512_avg_epu8(x, _mm512_setzero_si512()), _mm512_mask_blend_epi8(low, xb0, x70));
        __m512i a = _mm512_permutex2var_epi8(x, upOne, last);
        last = x;
        __mmask64 oddLead = _mm512_test_epi8_mask(a, ones);
        __mmask64 secondLow = _mm512_cmple_epu8_mask(x, x5f);
        __m512i oddAdd = _mm512_mask_blend_epi8(secondLow, x20, x1f);
        __m512i second = _mm512_add_epi8(x, _mm512_mask_blend_epi8(oddLead, x7e, oddAdd));
        __m512i y = _mm512_mask_blend_epi8(leads, x, first);
        y = _mm512_mask_blend_epi8((leads << 1) | carry, y, second);
        if (kana) {  // half-width katakana: 0x21 to 0x5F become 0xA1 to 0xDF
            __mmask64 kanaRange = _mm512_cmple_epu8_mask(_mm512_sub_epi8(x, Set1(0x21)), Set1(0x5F - 0x21));
            y = _mm512_mask_blend_epi8(kana & kanaRange, y, _mm512_xor_si512(x, Set1(0x80)));
        }
        if (lacking) {
            y = _mm512_mask_blend_epi8(lacking, y, Set1(kGeta[0]));
            y = _mm512_mask_blend_epi8(lacking << 1, y, Set1(kGeta[1]));
        }
        unsigned length = StoreKept(o, y, taken & ~sequences, needCr);
        std::uint64_t prevBytes = (single | (sequences & esc)) & taken;
        if (prevBytes) prev = p[63 - __builtin_clzll(prevBytes)];
        if (stop == kWidth) {
            // The whole block: its length, not the masks, moves on to the
            // next, so that the next load need not wait for them.
            carry = leads >> 63;
            p += kWidth;
            o += length;
            continue;
        }
        carry = 0;
        p += stop;
        o += length;
        if (fast) continue;  // up to a sequence the block cuts, with which the next starts
        if (stop == kWidth - 1 && pairCut) continue;  // the pair starts the next block

        // The step the block stopped at.
        if (!JisStepAt(s, p, o, prev, mode)) return;
    }
    if (carry) {  // hand the pair to the one-unit step
        p -= 1;
        o -= 1;
    }
    s = JisState{p, s.end, o, prev, mode, s.textEnds};
}

namespace {

// Shift_JIS and EUC-JP text in blocks of 64 bytes: the lead bytes from the
// runs of high bytes, as for the narrower blocks, each pair mapped on the
// whole block at once, and every LF that starts a unit given its CR with a
// compress, so that lines do not end a block. An EUC-JP half-width katakana
// loses its SS2 in the same compress. A block stops at an SS3 (its unit is
// three bytes long) and before an SS2 on its last byte; the one-unit step
// takes those.
template <PairKind kind>
void PairBlocks512(PairState& s) {
    constexpr unsigned kWidth = 64;
    const __m512i upOne = _mm512_load_si512(kUpOne);
    const __m512i lfs = Kept(kLf), crs = Kept(kCr), highBits = Kept(0x80), firstPairBytes = Kept(kFirstPairByte);
    const __m512i bit5 = Kept(0x20), leadsFrom = Kept(0xA1), leadsSpan = Kept(0xDC - 0xA1);
    const __m512i ss2s = Kept(kSs2), ss3s = Kept(kSs3), kanaFrom = Kept(0xA1), kanaSpan = Kept(0xDF - 0xA1);
    const __m512i x5e = Kept(0x5E), x5f = Kept(0x5F), x70 = Kept(0x70), xb0 = Kept(0xB0), ones = Kept(1);
    const __m512i x1f = Kept(0x1F), x7e = Kept(0x7E);
    // Locals, not the state's fields: the output stores may alias anything.
    const Byte* p = s.p;
    Byte* o = s.o;
    unsigned prev = s.prev;
    // A lead byte on the last byte of a block: its partner, the next
    // block's first byte, is mapped with `last`, this block's bytes.
    std::uint64_t carry = 0;
    __m512i last = _mm512_setzero_si512();
    while (s.end - p >= kWidth) {
        FetchAhead(p);
        __m512i x = _mm512_loadu_si512(p);
        // The bytes that can start a pair: EUC-JP from 0x81 up; Shift_JIS
        // 0x81 to 0x9F and 0xE0 to 0xFC, which with bit 5 flipped are the
        // one range 0xA1 to 0xDC.
        std::uint64_t high =
            kind == PairKind::kEuc
                ? _mm512_cmpge_epu8_mask(x, firstPairBytes)
                : _mm512_cmple_epu8_mask(_mm512_sub_epi8(_mm512_xor_si512(x, bit5), leadsFrom), leadsSpan);
        // Both ways, so that the carry from the block before only picks one.
        std::uint64_t leadsAfterUnit = Leads(high);
        std::uint64_t leadsAfterCarry = Leads(high & ~std::uint64_t{1});
        std::uint64_t leads = carry ? leadsAfterCarry : leadsAfterUnit;
        std::uint64_t trails = (leads << 1) | carry;
        std::uint64_t singles = ~trails;
        std::uint64_t lf = _mm512_cmpeq_epi8_mask(x, lfs) & singles;
        std::uint64_t cr = _mm512_cmpeq_epi8_mask(x, crs) & singles;
        std::uint64_t needCr = lf & ~((cr << 1) | std::uint64_t{prev == kCr});
        unsigned stop = kWidth;
        std::uint64_t dropped = 0;
        __m512i y = x;
        if (kind == PairKind::kEuc) {
            std::uint64_t ss2 = leads & _mm512_cmpeq_epi8_mask(x, ss2s);
            std::uint64_t ss3 = leads & _mm512_cmpeq_epi8_mask(x, ss3s);
            std::uint64_t stops = ss3 | (ss2 & (std::uint64_t{1} << 63));
            if (stops) stop = static_cast<unsigned>(__builtin_ctzll(stops));
            // SS2 and a half-width katakana: the katakana byte alone.
            std::uint64_t kana = _mm512_cmple_epu8_mask(_mm512_sub_epi8(x, kanaFrom), kanaSpan);
            dropped = ss2 & (kana >> 1);
            std::uint64_t pairLeads = leads & ~dropped;
            std::uint64_t pairTrails = trails & ~(dropped << 1);
            // First byte ((a + 1) >> 1) + (a <= 0x5E ? 0x70 : 0xB0), second
            // b + (a even ? 0x7E : b <= 0x5F ? 0x1F : 0x20), with the high bits off.
            __m512i a = _mm512_sub_epi8(x, highBits);
            __mmask64 low = _mm512_cmple_epu8_mask(a, x5e);
            __m512i first = _mm512_add_epi8(_mm512_avg_epu8(a, _mm512_setzero_si512()),
                                            _mm512_mask_blend_epi8(low, xb0, x70));
            __m512i before = _mm512_permutex2var_epi8(a, upOne, last);
            last = a;
            __mmask64 oddLead = _mm512_test_epi8_mask(before, ones);
            __mmask64 secondLow = _mm512_cmple_epu8_mask(a, x5f);
            __m512i oddAdd = _mm512_mask_blend_epi8(secondLow, bit5, x1f);
            __m512i second = _mm512_add_epi8(a, _mm512_mask_blend_epi8(oddLead, x7e, oddAdd));
            y = _mm512_mask_blend_epi8(pairLeads, y, first);
            y = _mm512_mask_blend_epi8(pairTrails, y, second);
        }
        std::uint64_t taken = Below(stop);
        needCr &= taken;
        if ((needCr & (needCr - 1)) == 0 && (dropped | ~taken) == 0) {
            // At most one CR to put in, the usual case: the bytes from its
            // LF on move up one, and the last one lands past the block
            // (without a CR, on the next output's first byte, which is
            // written again later).
            __mmask64 after = ~((needCr << 1) - 1);
            __m512i moved = _mm512_mask_permutexvar_epi8(y, after, upOne, y);
            _mm512_storeu_si512(o + 1, y);
            _mm512_storeu_si512(o, _mm512_mask_blend_epi8(needCr, moved, crs));
            o += kWidth + (needCr != 0);
        } else {
            o += StoreKept(o, y, taken & ~dropped, needCr);
        }
        if (stop == kWidth) {
            carry = leads >> 63;
            prev = p[kWidth - 1 - (trails >> 63)];  // matters only when nothing is carried
            p += kWidth;
            continue;
        }
        // The unit the block stopped at; what stands before it is the first
        // byte of the unit before (a carried partner at stop - 1 has its
        // lead in the block before).
        if (stop != 0) prev = *(p + (stop - 1) - ((trails >> (stop - 1)) & 1u));
        carry = 0;
        p += stop;
        PairUnitAt<kind>(s, p, o, prev);
    }
    EndPairBlocks(s, p, o, prev, carry);
}

}  // namespace

void PairBlocksAvx512(PairState& s, PairKind kind) {
    if (kind == PairKind::kEuc)
        PairBlocks512<PairKind::kEuc>(s);
    else
        PairBlocks512<PairKind::kCopy>(s);
}

}  // namespace kanji
