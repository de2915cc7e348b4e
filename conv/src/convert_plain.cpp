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
using kanji::kSi;
using kanji::kSo;
using kanji::kSs2;
using kanji::kSs3;
using kanji::kKatakanaFinal;

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

using Byte = unsigned char;

void WriteGeta(Byte*& o) {
    *o++ = kanji::kGeta[0];
    *o++ = kanji::kGeta[1];
}

}  // namespace

void ConvertSjisText(char* out, const char* in) {
    const Byte* p = reinterpret_cast<const Byte*>(in);
    Byte* o = reinterpret_cast<Byte*>(out);
    unsigned prev = 0;
    while (*p != 0) {
        unsigned c = *p;
        if (c == kLf && prev != kCr) {
            *o++ = kCr;
            *o++ = kLf;
            prev = kLf;
            p += 1;
        } else if (kanji::IsSjisLead(c)) {
            if (p[1] == 0) {  // the partner would be the NUL: keep the byte
                *o++ = static_cast<Byte>(c);
                break;
            }
            o[0] = p[0];
            o[1] = p[1];
            o += 2;
            prev = c;
            p += 2;
        } else {
            *o++ = static_cast<Byte>(c);
            prev = c;
            p += 1;
        }
    }
    *o = 0;
}

void ConvertEucText(char* out, const char* in) {
    const Byte* p = reinterpret_cast<const Byte*>(in);
    Byte* o = reinterpret_cast<Byte*>(out);
    unsigned prev = 0;
    while (*p != 0) {
        unsigned c = *p;
        if (c == kLf && prev != kCr) {
            *o++ = kCr;
            *o++ = kLf;
            prev = kLf;
            p += 1;
            continue;
        }
        prev = c;
        if (c < kFirstPairByte) {
            *o++ = static_cast<Byte>(c);
            p += 1;
        } else if (p[1] == 0) {  // the partner would be the NUL: keep the byte
            *o++ = static_cast<Byte>(c);
            break;
        } else if (c == kSs2 && kanji::IsEucKatakana(p[1])) {
            *o++ = p[1];  // half-width katakana are the same byte in code page 932
            p += 2;
        } else if (c == kSs3 && kanji::IsEucByte(p[1]) && kanji::IsEucByte(p[2])) {
            WriteGeta(o);  // p[2] is at most the NUL, as p[1] is not
            p += 3;
        } else {
            char* t = reinterpret_cast<char*>(o);
            EucPairToJis(t, reinterpret_cast<const char*>(p));
            JisPairToSjis(t, t);
            o += 2;
            p += 2;
        }
    }
    *o = 0;
}

void ConvertJisText(char* out, const char* in) {
    enum class Mode { kAscii, kKatakana, kKanji, kLacking };
    const Byte* p = reinterpret_cast<const Byte*>(in);
    Byte* o = reinterpret_cast<Byte*>(out);
    unsigned prev = 0;
    Mode mode = Mode::kAscii;
    while (*p != 0) {
        unsigned c = *p;
        bool pairs = mode == Mode::kKanji || mode == Mode::kLacking;
        if (c == kLf && prev != kCr) {
            *o++ = kCr;  // the LF itself is handled below, by the mode
        } else if (c == kEsc) {
            prev = kEsc;
            if (p[1] == kDollar) {
                if (p[2] == 0) break;  // a sequence cut by the NUL writes nothing
                if (p[2] == kParen) {  // ESC $ ( F, four bytes
                    if (p[3] == 0) break;
                    mode = kanji::IsLackingSet(p[3]) ? Mode::kLacking : Mode::kKanji;
                    p += 4;
                } else {
                    mode = Mode::kKanji;
                    p += 3;
                }
                continue;
            }
            if (p[1] == kParen) {
                if (p[2] == 0) break;
                mode = p[2] == kKatakanaFinal ? Mode::kKatakana : Mode::kAscii;
                p += 3;
                continue;
            }
        } else if ((c == kSo || c == kSi) && !pairs) {
            mode = c == kSo ? Mode::kKatakana : Mode::kAscii;  // not written; the previous byte stays
            p += 1;
            continue;
        }
        if (pairs) {
            if (p[1] == 0) {  // a pair cut by the NUL: keep its first byte
                *o++ = static_cast<Byte>(c);
                break;
            }
            if (mode == Mode::kKanji) {
                JisPairToSjis(reinterpret_cast<char*>(o), reinterpret_cast<const char*>(p));
                o += 2;
            } else {
                WriteGeta(o);
            }
            p += 2;
        } else {
            *o++ = mode == Mode::kKatakana ? kanji::JisKatakana(c) : static_cast<Byte>(c);
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
