// The one-unit steps of the converters, shared by the block converters: each
// takes one unit (or escape sequence) exactly as the plain converters do.
// Compiled into more than one file with different instruction sets, so all of
// it has internal linkage.
#ifndef RUVOK_CONV_UNITS_H
#define RUVOK_CONV_UNITS_H

#include "bytes.h"
#include "state.h"

namespace kanji {
namespace {

// One unit of Shift_JIS or EUC-JP text; false once the text is done.
template <PairKind kind>
inline bool PairUnit(PairState& s) {
    unsigned c = *s.p;
    if (c == kLf && s.prev != kCr) {
        s.o[0] = kCr;
        s.o[1] = kLf;
        s.o += 2;
        s.prev = kLf;
        s.p += 1;
        return s.p != s.end;
    }
    bool lead = kind == PairKind::kEuc ? c >= kFirstPairByte : IsSjisLead(c);
    if (lead && !s.textEnds) {  // a unit cut by the piece's end waits for the next piece
        if (s.p + 1 == s.end) return false;
        if (kind == PairKind::kEuc && c == kSs3 && IsEucByte(s.p[1]) && s.p + 2 == s.end) return false;
    }
    s.prev = c;
    if (!lead) {
        *s.o++ = static_cast<Byte>(c);
        s.p += 1;
    } else if (s.p + 1 == s.end) {  // the partner would be the NUL: keep the byte
        *s.o++ = static_cast<Byte>(c);
        s.p += 1;
        return false;
    } else if (kind == PairKind::kCopy) {
        s.o[0] = s.p[0];
        s.o[1] = s.p[1];
        s.o += 2;
        s.p += 2;
    } else if (c == kSs2 && IsEucKatakana(s.p[1])) {
        *s.o++ = s.p[1];
        s.p += 2;
    } else if (c == kSs3 && IsEucByte(s.p[1]) && IsEucByte(s.p[2])) {  // p[2] is at most the NUL
        s.o[0] = kGeta[0];
        s.o[1] = kGeta[1];
        s.o += 2;
        s.p += 3;
    } else {
        MapEucPair(s.p[0], s.p[1], s.o);
        s.o += 2;
        s.p += 2;
    }
    return s.p != s.end;
}

// For a block loop, which keeps its places in locals: the one-unit step at p.
template <PairKind kind>
inline void PairUnitAt(const PairState& s, const Byte*& p, Byte*& o, unsigned& prev) {
    PairState unit{p, s.end, o, prev, s.textEnds};
    PairUnit<kind>(unit);
    p = unit.p;
    o = unit.o;
    prev = unit.prev;
}

// Ends a block loop: a lead it carried goes back, with its partner, to the
// one-unit step; the state takes the loop's places.
inline void EndPairBlocks(PairState& s, const Byte* p, Byte* o, unsigned prev, std::uint64_t carry) {
    if (carry) {
        p -= 1;
        o -= 1;
    }
    s.p = p;
    s.o = o;
    s.prev = prev;
}

// Whether the JIS step at s.p needs bytes past the end of a piece: an
// escape sequence, or a pair (an LF's CR waits with it).
inline bool JisStepCut(const JisState& s) {
    auto left = s.end - s.p;
    if (*s.p == kEsc) {
        if (left < 2) return true;
        unsigned next = s.p[1];
        if (next == kDollar || next == kParen) return left < 3 || (next == kDollar && s.p[2] == kParen && left < 4);
    }
    return IsPairMode(s.mode) && left < 2;
}

// An LF that starts a unit: CR LF, or the LF alone after a CR.
inline void LfStep(const Byte*& p, Byte*& o, unsigned& prev) {
    unsigned cr = prev != kCr;
    o[0] = cr ? kCr : kLf;
    o[1] = kLf;
    o += 1 + cr;
    p += 1;
    prev = kLf;
}

// The steps a JIS block loop stops at most, taken on its locals without a
// JisState: a whole ESC $ x or ESC ( x, and outside the pair modes an LF, SO
// or SI. False for anything else, which is JisUnit's.
inline bool JisQuickStep(const Byte*& p, const Byte* end, Byte*& o, unsigned& prev, unsigned& mode) {
    unsigned c = *p;
    if (c == kEsc) {
        if (p + 2 >= end) return false;  // cut by the NUL or the piece's end
        unsigned next = p[1];
        unsigned final = p[2];
        if (next != kParen && (next != kDollar || final == kParen)) return false;
        mode = next == kDollar ? kKanjiMode : final == kKatakanaFinal ? kKatakanaMode : kAsciiMode;
        prev = kEsc;
        p += 3;
        return true;
    }
    if (IsPairMode(mode)) return false;
    if (c == kLf) {
        LfStep(p, o, prev);
        return true;
    }
    if (c == kSo || c == kSi) {  // not written, and the previous byte stays
        mode = c == kSo ? kKatakanaMode : kAsciiMode;
        p += 1;
        return true;
    }
    return false;
}

// One step of JIS text: a line end's CR, an escape sequence, a shift, or one
// unit. False once the text is done, or when the step waits for the next piece.
inline bool JisUnit(JisState& s) {
    if (!s.textEnds && JisStepCut(s)) return false;
    unsigned c = *s.p;
    if (c == kLf && s.prev != kCr) {
        *s.o++ = kCr;  // the LF itself is handled below, by the mode
    } else if (c == kEsc) {
        s.prev = kEsc;
        unsigned next = s.p[1];
        if (next == kDollar || next == kParen) {
            if (s.p + 2 >= s.end) {  // a sequence cut by the NUL writes nothing
                s.p = s.end;
                return false;
            }
            unsigned final = s.p[2];
            if (next == kParen) {
                s.mode = final == kKatakanaFinal ? kKatakanaMode : kAsciiMode;
                s.p += 3;
            } else if (final != kParen) {
                s.mode = kKanjiMode;
                s.p += 3;
            } else {  // ESC $ ( F
                if (s.p + 3 >= s.end) {
                    s.p = s.end;
                    return false;
                }
                s.mode = IsLackingSet(s.p[3]) ? kLackingMode : kKanjiMode;
                s.p += 4;
            }
            return s.p != s.end;
        }
    } else if ((c == kSo || c == kSi) && !IsPairMode(s.mode)) {
        s.mode = c == kSo ? kKatakanaMode : kAsciiMode;
        s.p += 1;
        return s.p != s.end;
    }
    if (IsPairMode(s.mode)) {
        if (s.p + 1 == s.end) {  // a pair cut by the NUL: keep its first byte
            *s.o++ = static_cast<Byte>(c);
            s.p += 1;
            return false;
        }
        if (s.mode == kKanjiMode) {
            MapJisPair(s.p[0], s.p[1], s.o);
        } else {
            s.o[0] = kGeta[0];
            s.o[1] = kGeta[1];
        }
        s.o += 2;
        s.p += 2;
    } else {
        *s.o++ = s.mode == kKatakanaMode ? JisKatakana(c) : static_cast<Byte>(c);
        s.prev = c;
        s.p += 1;
    }
    return s.p != s.end;
}

// For a block loop, which keeps its places in locals: the step the block
// stopped at, the quick one where it serves; false once the text is done
// (the state then holds where it ended).
inline bool JisStepAt(JisState& s, const Byte*& p, Byte*& o, unsigned& prev, unsigned& mode) {
    if (JisQuickStep(p, s.end, o, prev, mode)) return true;
    s = JisState{p, s.end, o, prev, mode, s.textEnds};
    if (!JisUnit(s)) return false;
    p = s.p;
    o = s.o;
    prev = s.prev;
    mode = s.mode;
    return true;
}

}  // namespace
}  // namespace kanji

#endif
