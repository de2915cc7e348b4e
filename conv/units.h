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
    } else if (c >= kFirstPairByte) {
        if (s.p + 1 == s.end) {  // the partner would be the NUL: keep the byte
            *s.o++ = static_cast<Byte>(c);
            s.p += 1;
            return false;
        }
        if (kind == PairKind::kEuc) {
            MapEucPair(s.p[0], s.p[1], s.o);
        } else {
            s.o[0] = s.p[0];
            s.o[1] = s.p[1];
        }
        s.o += 2;
        s.prev = c;
        s.p += 2;
    } else {
        *s.o++ = static_cast<Byte>(c);
        s.prev = c;
        s.p += 1;
    }
    return s.p != s.end;
}

// One step of JIS text: a line end's CR, an escape sequence, or one unit.
// False once the text is done.
inline bool JisUnit(JisState& s) {
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
            s.kanjiMode = (next == kDollar);
            s.p += 3;
            return s.p != s.end;
        }
    }
    if (s.kanjiMode) {
        if (s.p + 1 == s.end) {  // a pair cut by the NUL: keep its first byte
            *s.o++ = static_cast<Byte>(c);
            s.p += 1;
            return false;
        }
        MapJisPair(s.p[0], s.p[1], s.o);
        s.o += 2;
        s.p += 2;
    } else {
        *s.o++ = static_cast<Byte>(c);
        s.prev = c;
        s.p += 1;
    }
    return s.p != s.end;
}

}  // namespace
}  // namespace kanji

#endif
