// The byte-at-a-time converters, read straight off the rules: the reference
// the block converters are checked against, and the whole story on targets
// without SSE2.
#include "bytes.h"
#include "kanjicode.h"
#include "kanjicode_plain.h"

using kanji::kCr;
using kanji::kDollar;
using kanji::kEsc;
using kanji::kFirstPairByte;
using kanji::kLf;
using kanji::kParen;

void JisPairToSjis(char* out, const char* in) {
    unsigned char a = static_cast<unsigned char>(in[0]);
    unsigned char b = static_cast<unsigned char>(in[1]);
    kanji::MapJisPair(a, b, reinterpret_cast<unsigned char*>(out));
}

void EucPairToJis(char* out, const char* in) {
    unsigned char a = static_cast<unsigned char>(in[0]);
    unsigned char b = static_cast<unsigned char>(in[1]);
    out[0] = static_cast<char>(static_cast<unsigned char>(a - 0x80));
    out[1] = static_cast<char>(static_cast<unsigned char>(b - 0x80));
}

namespace plain {
namespace {

// Shift_JIS and EUC-JP share their unit structure; only the pair differs.
enum class PairKind { kCopy, kEuc };

template <PairKind kind>
void ConvertPairText(char* out, const char* in) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
    unsigned char* o = reinterpret_cast<unsigned char*>(out);
    unsigned prev = 0;
    while (*p != 0) {
        unsigned c = *p;
        if (c == kLf && prev != kCr) {
            *o++ = kCr;
            *o++ = kLf;
            prev = kLf;
            p += 1;
        } else if (c >= kFirstPairByte) {
            if (p[1] == 0) {  // the partner would be the NUL: keep the byte
                *o++ = static_cast<unsigned char>(c);
                break;
            }
            if (kind == PairKind::kEuc) {
                char* t = reinterpret_cast<char*>(o);
                EucPairToJis(t, reinterpret_cast<const char*>(p));
                JisPairToSjis(t, t);
            } else {
                o[0] = p[0];
                o[1] = p[1];
            }
            o += 2;
            prev = c;
            p += 2;
        } else {
            *o++ = static_cast<unsigned char>(c);
            prev = c;
            p += 1;
        }
    }
    *o = 0;
}

}  // namespace

void ConvertSjisText(char* out, const char* in) { ConvertPairText<PairKind::kCopy>(out, in); }

void ConvertEucText(char* out, const char* in) { ConvertPairText<PairKind::kEuc>(out, in); }

void ConvertJisText(char* out, const char* in) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
    unsigned char* o = reinterpret_cast<unsigned char*>(out);
    unsigned prev = 0;
    bool kanjiMode = false;
    while (*p != 0) {
        unsigned c = *p;
        if (c == kLf && prev != kCr) {
            *o++ = kCr;  // the LF itself is handled below, by the mode
        } else if (c == kEsc) {
            prev = kEsc;
            if (p[1] == kDollar || p[1] == kParen) {
                if (p[2] == 0) break;  // a sequence cut by the NUL writes nothing
                kanjiMode = (p[1] == kDollar);
                p += 3;
                continue;
            }
        }
        if (kanjiMode) {
            if (p[1] == 0) {  // a pair cut by the NUL: keep its first byte
                *o++ = static_cast<unsigned char>(c);
                break;
            }
            JisPairToSjis(reinterpret_cast<char*>(o), reinterpret_cast<const char*>(p));
            o += 2;
            p += 2;
        } else {
            *o++ = static_cast<unsigned char>(c);
            prev = c;
            p += 1;
        }
    }
    *o = 0;
}

void ConvertToSjis(char* out, const char* in) {
    switch (DetectKanjiCode(in)) {
    case KC_JIS: ConvertJisText(out, in); break;
    case KC_EUC: ConvertEucText(out, in); break;
    default: ConvertSjisText(out, in); break;
    }
}

}  // namespace plain
