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

// Shift_JIS or EUC-JP text. A block holds whole units but may end on a lead
// byte whose partner opens the next block (`carry`). A block with one LF that
// starts a unit is taken whole, with a CR put in before the LF where it needs one. A block with more is taken up to its
// first such LF, and the LF with it.
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
        Vec x = V::Load(p);
        std::uint64_t leads = LeadMask(V::HighMask(x) & ~carry);
        std::uint64_t trails = ((leads << 1) | carry) & kAll;
        std::uint64_t lineStarts = V::EqMask(x, kLf) & ~trails;
        bool whole = (lineStarts & (lineStarts - 1)) == 0;
        std::uint64_t taken = whole ? kAll : (lineStarts & (0 - lineStarts)) - 1;
        if (kind == PairKind::kEuc) {
            Vec a = V::Sub(x, V::Set1(0x80));
            // Each partner is the byte after a lead; byte 0's lead, if carried,
            // is the last byte of the block before.
            Vec leadBytes = V::ExpandMask(leads & taken);
            x = MapPairs<V>(x, a, V::ShiftUp(a, lastA), leadBytes, V::ShiftUp(leadBytes, lastLeads));
            lastA = a;
            lastLeads = leadBytes;
        }
        // The LF at n, if any; what stands before it is the first byte of the
        // unit before (a carried partner at n - 1 has its lead in the block before).
        unsigned n = LowestBit(lineStarts | (std::uint64_t{1} << kWidth));
        unsigned before = prev;
        if (n != 0 && n != kWidth) before = *(p + (n - 1) - ((trails >> (n - 1)) & 1u));
        unsigned cr = n != kWidth && before != kCr;
        if (whole) {
            // Bytes from the LF on move up one for the CR: the last one lands
            // past the block (without a CR, on the next output's first byte,
            // which is written again later).
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
        o[0] = cr ? kCr : kLf;
        o[1] = kLf;
        o += 1 + cr;
        p += n + 1;
        prev = kLf;
        carry = 0;
    }
    if (carry) {  // hand the lead and its partner to the one-unit step
        p -= 1;
        o -= 1;
    }
    s.p = p;
    s.o = o;
    s.prev = prev;
}

// JIS text. In ASCII mode a block is taken up to its first ESC or LF; in kanji
// mode up to the first ESC or LF where a pair would start. The mode switches
// and ASCII line ends that stop a block are taken here; anything else goes
// through the one-unit step.
template <class V>
void JisBlocks(JisState& s) {
    using Vec = typename V::Vec;
    constexpr unsigned kWidth = V::kWidth;
    // Locals, not the state's fields: the output stores may alias anything.
    const Byte* p = s.p;
    Byte* o = s.o;
    unsigned prev = s.prev;
    bool kanjiMode = s.kanjiMode;
    while (s.end - p >= kWidth) {
        Vec x = V::Load(p);
        std::uint64_t escapes = V::EqMask(x, kEsc);
        std::uint64_t lineEnds = V::EqMask(x, kLf);
        if (!kanjiMode && escapes == 0 && (lineEnds & (lineEnds - 1)) == 0) {
            // ASCII with at most one LF: the whole block, with a CR put in
            // before the LF where it needs one (as for Shift_JIS text).
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
        std::uint64_t stops = escapes | lineEnds;
        if (kanjiMode) {
            stops &= kEvenBits;
            x = MapPairs<V>(x, x, V::ShiftUp(x, V::Zero()), V::EvenBytes(), V::OddBytes());
        }
        V::Store(o, x);
        unsigned n = LowestBit(stops | (std::uint64_t{1} << kWidth));
        if (!kanjiMode && n != 0) prev = p[n - 1];
        p += n;
        o += n;
        if (n == kWidth) continue;
        if (*p == kEsc) {
            unsigned next = p[1];
            if ((next == kDollar || next == kParen) && p + 2 < s.end) {
                kanjiMode = next == kDollar;
                prev = kEsc;
                p += 3;
                continue;
            }
        } else if (!kanjiMode) {  // an LF in ASCII mode
            unsigned cr = prev != kCr;
            o[0] = cr ? kCr : kLf;
            o[1] = kLf;
            o += 1 + cr;
            p += 1;
            prev = kLf;
            continue;
        }
        s = JisState{p, s.end, o, prev, kanjiMode};
        if (!JisUnit(s)) return;
        p = s.p;
        o = s.o;
        prev = s.prev;
        kanjiMode = s.kanjiMode;
    }
    s = JisState{p, s.end, o, prev, kanjiMode};
}

}  // namespace
}  // namespace kanji

#endif
