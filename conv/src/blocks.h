// The block converters, written once over a vector type V that supplies the
// byte operations of one instruction set (vec_sse2.h, vec_avx2.h). They take
// V::kWidth input bytes a step through runs that need no decision and leave
// every unit that does to the one-unit steps. Output may be written ahead of
// the current position and overwritten later, but never beyond 2n+1: a block
// is only taken while kWidth input bytes remain before the NUL, and its output
// is no longer than its input. Internal linkage, for the same reason as units.h.
#ifndef RUVOK_CONV_BLOCKS_H
#define RUVOK_CONV_BLOCKS_H

#include <cstdint>

#include "bytes.h"
#include "state.h"
#include "units.h"

namespace kanji {
namespace {

constexpr std::uint64_t kEvenBits = 0x5555555555555555ull;
constexpr std::uint64_t kOddBits = 0xAAAAAAAAAAAAAAAAull;

inline unsigned LowestBit(std::uint64_t x) { return static_cast<unsigned>(__builtin_ctzll(x)); }

// Which bytes of `high` (the bytes from 0x81 up) are lead bytes, when byte 0
// starts a unit. After any byte below 0x81 a unit starts, so every run of high
// bytes begins at a unit start and alternates lead, partner, lead ...
inline std::uint64_t LeadMask(std::uint64_t high) {
    std::uint64_t starts = high & ~(high << 1);
    std::uint64_t evenRuns = high & ~(high + (starts & kEvenBits));  // runs that start at an even offset
    return (evenRuns & kEvenBits) | (high & ~evenRuns & kOddBits);
}

// The JIS X 0208 to Shift_JIS arithmetic on whole vectors: `a` holds the first
// byte of each pair where `leads` is set and the second byte where `trails` is;
// `aPrev` is `a` moved up one byte, so that each partner sees its lead.
template <class V>
inline typename V::Vec MapPairs(typename V::Vec x, typename V::Vec a, typename V::Vec aPrev,
                                typename V::Vec leads, typename V::Vec trails) {
    using Vec = typename V::Vec;
    const Vec one = V::Set1(1);
    // First byte: ((a + 1) >> 1) + (a <= 0x5E ? 0x70 : 0xB0).
    Vec low = V::Eq(V::Min(a, V::Set1(0x5E)), a);
    Vec first = V::Add(V::Avg(a, V::Zero()), V::Select(low, V::Set1(0x70), V::Set1(0xB0)));
    // Second byte: b + (a even ? 0x7E : b < 0x60 ? 0x1F : 0x20).
    Vec odd = V::Eq(V::And(aPrev, one), one);
    Vec bLow = V::Eq(V::Max(a, V::Set1(0x5F)), V::Set1(0x5F));
    Vec kOdd = V::Sub(V::Set1(0x20), V::And(bLow, one));
    Vec second = V::Add(a, V::Select(odd, kOdd, V::Set1(0x7E)));
    return V::Select(trails, second, V::Select(leads, first, x));
}

// Byte i of the result is set where byte i of `x` lies in lo to hi.
template <class V>
inline typename V::Vec InRange(typename V::Vec x, unsigned lo, unsigned hi) {
    typename V::Vec d = V::Sub(x, V::Set1(lo));
    return V::Eq(V::Min(d, V::Set1(hi - lo)), d);
}

// JIS half-width katakana mode: 0x21 to 0x5F become 0xA1 to 0xDF.
template <class V>
inline typename V::Vec ToKatakana(typename V::Vec x) {
    return V::Select(InRange<V>(x, 0x21, 0x5F), V::Xor(x, V::Set1(0x80)), x);
}

// Shift_JIS or EUC-JP text. A block holds whole units but may end on a lead
// byte whose partner opens the next block (`carry`). A block with one LF that
// starts a unit is taken whole, with a CR put in before the LF where it needs
// one. A block with more is taken up to its first such LF, and the LF with
// it. In EUC-JP text a block is taken only up to its first SS2 or SS3 unit,
// whose output is shorter than its input: the one-unit step takes that.
template <class V, PairKind kind>
void PairBlocks(PairState& s) {
    using Vec = typename V::Vec;
    constexpr unsigned kWidth = V::kWidth;
    constexpr std::uint64_t kAll = (std::uint64_t{1} << kWidth) - 1;
    // Locals, not the state's fields: the output stores may alias anything.
    const Byte* p = s.p;
    Byte* o = s.o;
    unsigned prev = s.prev;
    std::uint64_t carry = 0;
    Vec lastA = V::Zero();
    Vec lastLeads = V::Zero();
    while (s.end - p >= kWidth) {
        FetchAhead(p);
        Vec x = V::Load(p);
        // The bytes that start a pair where a unit starts. After any other
        // byte a unit starts, so each run of these alternates lead, partner.
        // Shift_JIS: 0x81 to 0x9F and 0xE0 to 0xFC, which with bit 5 flipped
        // are the one range 0xA1 to 0xDC; moved up by 0xA3, that is 0x44 to
        // 0x7F, the only bytes above 0x43 as signed values.
        std::uint64_t leadable =
            kind == PairKind::kEuc
                ? V::HighMask(x)
                : V::Bits(V::GreaterSigned(V::Add(V::Xor(x, V::Set1(0x20)), V::Set1(0xA3)), V::Set1(0x43)));
        std::uint64_t leads = LeadMask(leadable & ~carry);
        std::uint64_t trails = ((leads << 1) | carry) & kAll;
        std::uint64_t lineStarts = V::EqMask(x, kLf) & ~trails;
        std::uint64_t shortUnits =
            kind == PairKind::kEuc ? leads & V::Bits(V::Eq(V::And(x, V::Set1(0xFE)), V::Set1(kSs2))) : 0;  // SS2, SS3
        std::uint64_t stops = lineStarts | shortUnits;
        bool whole = shortUnits == 0 && (lineStarts & (lineStarts - 1)) == 0;
        std::uint64_t taken = whole ? kAll : (stops & (0 - stops)) - 1;
        if (kind == PairKind::kEuc) {
            Vec a = V::Sub(x, V::Set1(0x80));
            // Each partner is the byte after a lead; byte 0's lead, if carried,
            // is the last byte of the block before.
            Vec leadBytes = V::ExpandMask(leads & taken);
            x = MapPairs<V>(x, a, V::ShiftUp(a, lastA), leadBytes, V::ShiftUp(leadBytes, lastLeads));
            lastA = a;
            lastLeads = leadBytes;
        }
        // The first stop at n, if any; what stands before it is the first
        // byte of the unit before (a carried partner at n - 1 has its lead in
        // the block before).
        unsigned n = LowestBit(stops | (std::uint64_t{1} << kWidth));
        unsigned before = prev;
        if (n != 0 && n != kWidth) before = *(p + (n - 1) - ((trails >> (n - 1)) & 1u));
        if (whole) {
            // Bytes from the LF on move up one for the CR: the last one lands
            // past the block (without a CR, on the next output's first byte,
            // which is written again later).
            unsigned cr = n != kWidth && before != kCr;
            V::Store(o + 1, x);
            V::Store(o, V::InsertAt(x, cr ? n : kWidth, kCr));
            carry = leads >> (kWidth - 1);
            prev = p[kWidth - 1 - ((trails >> (kWidth - 1)) & 1u)];  // matters only when nothing is carried
            p += kWidth;
            o += kWidth + cr;
            continue;
        }
        V::Store(o, x);
        o += n;
        p += n;
        prev = before;
        carry = 0;
        if ((lineStarts >> n) & 1u) {
            LfStep(p, o, prev);
        } else {
            PairUnitAt<kind>(s, p, o, prev);
        }
    }
    EndPairBlocks(s, p, o, prev, carry);
}

// JIS text. In ASCII and katakana mode a block is taken up to its first ESC,
// SO or SI when at most one LF comes before it, else up to its first LF; in
// the pair modes up to the first ESC or LF where a pair would start. The mode switches and single-byte line ends that stop a block are
// taken here; anything else goes through the one-unit step.
template <class V>
void JisBlocks(JisState& s) {
    using Vec = typename V::Vec;
    constexpr unsigned kWidth = V::kWidth;
    // Locals, not the state's fields: the output stores may alias anything.
    const Byte* p = s.p;
    Byte* o = s.o;
    unsigned prev = s.prev;
    unsigned mode = s.mode;
    while (s.end - p >= kWidth) {
        FetchAhead(p);
        Vec x = V::Load(p);
        std::uint64_t lineEnds = V::EqMask(x, kLf);
        bool pairs = IsPairMode(mode);
        if (!pairs) {
            std::uint64_t switches = V::JisSwitchMask(x);  // ESC, SO, SI
            if (mode == kKatakanaMode) x = ToKatakana<V>(x);
            // Single bytes up to the first switch (or the whole block) with
            // at most one LF among them: all of them, with a CR put in before
            // the LF where it needs one (as for Shift_JIS).
            if (switches == 0 && (lineEnds & (lineEnds - 1)) == 0) {
                // The whole block: its length, not the masks, moves on to the
                // next, so that the next load need not wait for them.
                unsigned n = LowestBit(lineEnds | (std::uint64_t{1} << kWidth));
                unsigned before = n == 0 ? prev : p[n == kWidth ? 0 : n - 1];
                unsigned cr = n != kWidth && before != kCr;
                V::Store(o + 1, x);
                V::Store(o, V::InsertAt(x, cr ? n : kWidth, kCr));
                prev = p[kWidth - 1];
                p += kWidth;
                o += kWidth + cr;
                continue;
            }
            unsigned m = LowestBit(switches | (std::uint64_t{1} << kWidth));
            std::uint64_t lineEndsBefore = lineEnds & ((std::uint64_t{1} << m) - 1);
            if ((lineEndsBefore & (lineEndsBefore - 1)) == 0) {
                unsigned n = LowestBit(lineEndsBefore | (std::uint64_t{1} << kWidth));
                unsigned before = n == 0 ? prev : p[n == kWidth ? 0 : n - 1];
                unsigned cr = n != kWidth && before != kCr;
                V::Store(o + 1, x);
                V::Store(o, V::InsertAt(x, cr ? n : kWidth, kCr));
                if (m != 0) prev = p[m - 1];
                p += m;
                o += m + cr;
                if (m == kWidth) continue;
            } else {
                V::Store(o, x);
                unsigned n = LowestBit(switches | lineEnds);
                if (n != 0) prev = p[n - 1];
                p += n;
                o += n;
            }
        } else {
            std::uint64_t stops = (V::EqMask(x, kEsc) | lineEnds) & kEvenBits;
            x = mode == kKanjiMode ? MapPairs<V>(x, x, V::ShiftUp(x, V::Zero()), V::EvenBytes(), V::OddBytes())
                                   : V::Select(V::EvenBytes(), V::Set1(kGeta[0]), V::Set1(kGeta[1]));
            V::Store(o, x);
            unsigned n = LowestBit(stops | (std::uint64_t{1} << kWidth));
            p += n;
            o += n;
            if (n == kWidth) continue;
        }
        if (!JisStepAt(s, p, o, prev, mode)) return;
    }
    s = JisState{p, s.end, o, prev, mode, s.textEnds};
}

}  // namespace
}  // namespace kanji

#endif
