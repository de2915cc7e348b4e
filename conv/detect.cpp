#include "detect.h"

#include <cstring>

#include "bytes.h"
#include "kanjicode.h"
#include "kanjicode_plain.h"
#include "kanjicode_stream.h"
#include "simd.h"

namespace kanji {

// The escape test: ESC $ decides, and so does ESC ( followed by J, B or ?.
// The third byte is only looked at when the second is '(' and so not the NUL.
static bool IsJisEscape(const unsigned char* p) {
    if (p[1] == kDollar) return true;
    return p[1] == kParen && (p[2] == 'J' || p[2] == 'B' || p[2] == '?');
}

// Runs from `p` until a byte decides; `pending` is the lead byte in wait of its
// partner. Returns -1 when `end` or the NUL comes first (a null `end` means the
// NUL alone ends the run).
int DetectFrom(const unsigned char* p, const unsigned char* end, unsigned& pending) {
    for (; p != end && *p != 0; ++p) {
        unsigned c = *p;
        if (pending != 0) {
            if (c < 0xA0) return KC_SJIS;
            pending = 0;  // c is the lead byte's partner, not a byte of its own
            continue;
        }
        if (c == kEsc) {
            if (IsJisEscape(p)) return KC_JIS;
        } else if (c >= 0x80 && c <= 0x9F) {
            return KC_SJIS;
        } else if (c >= 0xA0 && c <= 0xDF) {
            return KC_EUC;
        } else if (c >= 0xE0) {
            pending = c;
        }
    }
    return -1;
}

int DetectKanjiCodeN(const unsigned char* text, std::size_t n) {
    unsigned pending = 0;
    std::size_t i = 0;
#if RUVOK_HAVE_SSE2
    // Skip 16-byte blocks that hold nothing but undeciding ASCII.
    while (n - i >= 16) {
        if (pending == 0) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(x)) |
                            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(kEsc))));
            if (stop == 0) {
                i += 16;
                continue;
            }
            i += CountTrailingZeros(stop);
        }
        // Settle the next few bytes one at a time, then go back to blocks.
        std::size_t step = (n - i < 4) ? n - i : 4;
        int code = DetectFrom(text + i, text + i + step, pending);
        if (code >= 0) return code;
        i += step;
    }
#endif
    int code = DetectFrom(text + i, text + n, pending);
    return code >= 0 ? code : KC_SJIS;
}

}  // namespace kanji

void StartKanjiDetector(KanjiDetector* detector) { detector->pending = 0; }

int DetectInPiece(KanjiDetector* detector, const char* in, std::size_t n, std::size_t* used) {
    const auto* text = reinterpret_cast<const unsigned char*>(in);
    // The escape test reads two bytes past the ESC: up to n - 2 they are in
    // this piece.
    std::size_t body = n < 2 ? 0 : n - 2;
    std::size_t i = 0;
#if RUVOK_HAVE_SSE2
    // Skip 16-byte blocks of undeciding ASCII; settle the bytes after each
    // block that stops the skip a few at a time, then skip again (an ESC
    // that starts no JIS sequence decides nothing).
    while (body - i >= 16) {
        if (detector->pending == 0) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(x)) |
                            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(kanji::kEsc))));
            if (stop == 0) {
                i += 16;
                continue;
            }
            i += kanji::CountTrailingZeros(stop);
        }
        std::size_t step = body - i < 4 ? body - i : 4;
        int code = kanji::DetectFrom(text + i, text + i + step, detector->pending);
        if (code >= 0) {
            *used = n;
            return code;
        }
        i += step;
    }
#endif
    int code = kanji::DetectFrom(text + i, text + body, detector->pending);
    if (code >= 0) {
        *used = n;
        return code;
    }
    // The last bytes, up to an ESC that is not a lead byte's partner.
    for (i = body; i < n; ++i) {
        if (text[i] == kanji::kEsc && detector->pending == 0) break;
        code = kanji::DetectFrom(text + i, text + i + 1, detector->pending);
        if (code >= 0) {
            *used = n;
            return code;
        }
    }
    *used = i;
    return -1;
}

int FinishDetector(KanjiDetector* detector, const char* in, std::size_t n) {
    int code = kanji::DetectFrom(reinterpret_cast<const unsigned char*>(in), nullptr, detector->pending);
    (void)n;
    return code >= 0 ? code : KC_SJIS;
}

namespace plain {

int DetectKanjiCode(const char* text) {
    unsigned pending = 0;
    int code = kanji::DetectFrom(reinterpret_cast<const unsigned char*>(text), nullptr, pending);
    return code >= 0 ? code : KC_SJIS;
}

}  // namespace plain

// Detection alone stops at the first deciding byte and reads nothing after it;
// the block scan needs the length, which only the converters have at hand.
int DetectKanjiCode(const char* text) { return plain::DetectKanjiCode(text); }
