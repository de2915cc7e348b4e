// The converters as the programs call them. Where SSE2 is there they take
// 16 input bytes a step through runs that hold no line end or escape; every
// unit that needs a decision goes through the same one-unit steps as the plain
// converters. Output bytes past the current position may be written ahead and
// overwritten later, but never beyond 2n+1, and no input byte past the NUL is
// read: blocks are taken only while 16 bytes remain before it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "bytes.h"
#include "detect.h"
#include "kanjicode.h"
#include "kanjicode_plain.h"
#include "simd.h"

namespace kanji {
namespace {

using Byte = unsigned char;

// The state of one Shift_JIS or EUC-JP conversion between units.
struct PairState {
    const Byte* p;
    const Byte* end;  // the NUL
    Byte* o;
    unsigned prev;    // first byte of the previous unit
};

enum class PairKind { kCopy, kEuc };

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

#if RUVOK_HAVE_SSE2

// Byte masks for each 8-bit mask: bit i set gives 0xFF in byte i.
struct MaskTable {
    std::uint64_t bytes[256];
    constexpr MaskTable() : bytes() {
        for (unsigned m = 0; m < 256; ++m) {
            std::uint64_t v = 0;
            for (unsigned i = 0; i < 8; ++i)
                if (m & (1u << i)) v |= std::uint64_t{0xFF} << (8 * i);
            bytes[m] = v;
        }
    }
};
constexpr MaskTable kMaskTable;

inline __m128i ExpandMask(unsigned bits) {
    return _mm_set_epi64x(static_cast<long long>(kMaskTable.bytes[(bits >> 8) & 0xFF]),
                          static_cast<long long>(kMaskTable.bytes[bits & 0xFF]));
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

inline unsigned MaskOf(__m128i x, Byte value) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(value)))));
}

// Bytes from 0x81 up.
inline unsigned HighMask(__m128i x) {
    __m128i flipped = _mm_xor_si128(x, _mm_set1_epi8(static_cast<char>(0x80)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(flipped, _mm_setzero_si128())));
}

// Which bytes of `high` are lead bytes, when byte 0 starts a unit. After any
// byte below 0x81 a unit starts, so every run of high bytes begins at a unit
// start and alternates lead, partner, lead ...
inline unsigned LeadMask(unsigned high) {
    unsigned starts = high & ~(high << 1);
    unsigned evenRuns = high & ~(high + (starts & 0x5555u));  // runs that start at an even offset
    return (evenRuns & 0x5555u) | (high & ~evenRuns & 0xAAAAu);
}

// The JIS X 0208 to Shift_JIS arithmetic on whole vectors: `a` holds the first
// byte of each pair where `leads` is set, the second byte in the byte after.
inline __m128i MapPairs(__m128i x, __m128i a, __m128i leads, __m128i trails) {
    const __m128i zero = _mm_setzero_si128();
    // First byte: ((a + 1) >> 1) + (a <= 0x5E ? 0x70 : 0xB0).
    __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(a, _mm_set1_epi8(0x5E)), a);
    __m128i base = Select(low, _mm_set1_epi8(0x70), _mm_set1_epi8(static_cast<char>(0xB0)));
    __m128i first = _mm_add_epi8(_mm_avg_epu8(a, zero), base);
    // Second byte: b + (a even ? 0x7E : b < 0x60 ? 0x1F : 0x20), a from the byte before.
    __m128i aPrev = _mm_slli_si128(a, 1);
    __m128i b = a;
    __m128i odd = _mm_cmpeq_epi8(_mm_and_si128(aPrev, _mm_set1_epi8(1)), _mm_set1_epi8(1));
    __m128i bLow = _mm_cmpeq_epi8(_mm_max_epu8(b, _mm_set1_epi8(0x5F)), _mm_set1_epi8(0x5F));
    __m128i kOdd = _mm_sub_epi8(_mm_set1_epi8(0x20), _mm_and_si128(bLow, _mm_set1_epi8(1)));
    __m128i k = Select(odd, kOdd, _mm_set1_epi8(0x7E));
    __m128i second = _mm_add_epi8(b, k);
    return Select(trails, second, Select(leads, first, x));
}

// Converts the longest run at s.p, within the next 16 bytes, that ends on a
// unit boundary before any LF that starts a unit and before a lead byte whose
// partner lies past the block. Needs 16 bytes before the NUL.
template <PairKind kind>
inline void PairBlock(PairState& s) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.p));
    unsigned high = HighMask(x);
    unsigned leads = LeadMask(high);
    unsigned limit = (leads & 0x8000u) ? 0x7FFFu : 0xFFFFu;
    unsigned trails = (leads << 1) & limit;
    unsigned lineStarts = MaskOf(x, kLf) & ~trails & limit;
    unsigned taken = lineStarts ? (lineStarts & (0u - lineStarts)) - 1 : limit;  // bits before the first
    if (taken == 0) return;
    if (kind == PairKind::kEuc && high != 0) {
        __m128i a = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(0x80)));
        x = MapPairs(x, a, ExpandMask(leads & taken), ExpandMask(trails & taken));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s.o), x);
    unsigned n = CountTrailingZeros(~taken);
    // The previous byte is the first byte of the run's last unit.
    s.prev = (trails >> (n - 1)) & 1u ? s.p[n - 2] : s.p[n - 1];
    s.p += n;
    s.o += n;
}

#endif

template <PairKind kind>
void ConvertPairs(Byte* out, const Byte* in, std::size_t n) {
    PairState s{in, in + n, out, 0};
    if (n != 0) {
#if RUVOK_HAVE_SSE2
        while (s.end - s.p >= 16) {
            PairBlock<kind>(s);
            if (s.p == s.end || !PairUnit<kind>(s)) break;
        }
#endif
        while (s.p != s.end && PairUnit<kind>(s)) {
        }
    }
    *s.o = 0;
}

// The state of one JIS conversion between units.
struct JisState {
    const Byte* p;
    const Byte* end;
    Byte* o;
    unsigned prev;
    bool kanjiMode;
};

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

#if RUVOK_HAVE_SSE2

// Takes the next 16 bytes up to the first ESC or LF: in ASCII mode anywhere,
// in kanji mode where a pair would start. Needs 16 bytes before the NUL.
inline void JisBlock(JisState& s) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.p));
    unsigned stops = MaskOf(x, kEsc) | MaskOf(x, kLf);
    if (s.kanjiMode) stops &= 0x5555u;
    unsigned n = stops ? CountTrailingZeros(stops) : 16;
    if (n == 0) return;
    if (s.kanjiMode) {
        const __m128i leads = _mm_set1_epi16(0x00FF);
        const __m128i trails = _mm_set1_epi16(static_cast<short>(0xFF00));
        x = MapPairs(x, x, leads, trails);
    } else {
        s.prev = s.p[n - 1];
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s.o), x);
    s.p += n;
    s.o += n;
}

#endif

void ConvertJis(Byte* out, const Byte* in, std::size_t n) {
    JisState s{in, in + n, out, 0, false};
    if (n != 0) {
#if RUVOK_HAVE_SSE2
        while (s.end - s.p >= 16) {
            JisBlock(s);
            if (s.p == s.end || !JisUnit(s)) break;
        }
#endif
        while (s.p != s.end && JisUnit(s)) {
        }
    }
    *s.o = 0;
}

}  // namespace
}  // namespace kanji

namespace {

const unsigned char* Bytes(const char* p) { return reinterpret_cast<const unsigned char*>(p); }
unsigned char* Bytes(char* p) { return reinterpret_cast<unsigned char*>(p); }

}  // namespace

void ConvertSjisText(char* out, const char* in) {
    kanji::ConvertPairs<kanji::PairKind::kCopy>(Bytes(out), Bytes(in), std::strlen(in));
}

void ConvertEucText(char* out, const char* in) {
    kanji::ConvertPairs<kanji::PairKind::kEuc>(Bytes(out), Bytes(in), std::strlen(in));
}

void ConvertJisText(char* out, const char* in) { kanji::ConvertJis(Bytes(out), Bytes(in), std::strlen(in)); }

void ConvertToSjis(char* out, const char* in) {
    std::size_t n = std::strlen(in);
    switch (kanji::DetectKanjiCodeN(Bytes(in), n)) {
    case KC_JIS: kanji::ConvertJis(Bytes(out), Bytes(in), n); break;
    case KC_EUC: kanji::ConvertPairs<kanji::PairKind::kEuc>(Bytes(out), Bytes(in), n); break;
    default: kanji::ConvertPairs<kanji::PairKind::kCopy>(Bytes(out), Bytes(in), n); break;
    }
}
