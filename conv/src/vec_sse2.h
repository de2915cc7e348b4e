// Byte operations on 16-byte SSE2 vectors, for blocks.h.
#ifndef RUVOK_CONV_VEC_SSE2_H
#define RUVOK_CONV_VEC_SSE2_H

#include <emmintrin.h>

#include <cstdint>

#include "state.h"

namespace kanji {
namespace {

// Byte masks for each 8-bit mask: bit i set gives 0xFF in byte i.
struct MaskTable {
    std::uint64_t bytes[256];
    constexpr MaskTable() : bytes() {
        for (unsigned m = 0; m < 256; ++m)
            for (unsigned i = 0; i < 8; ++i)
                if (m & (1u << i)) bytes[m] |= std::uint64_t{0xFF} << (8 * i);
    }
};
constexpr MaskTable kMaskTable{};

struct Sse2 {
    using Vec = __m128i;
    static constexpr unsigned kWidth = 16;

    static Vec Load(const Byte* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(Byte* p, Vec v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static Vec Zero() { return _mm_setzero_si128(); }
    static Vec Set1(unsigned b) { return _mm_set1_epi8(static_cast<char>(b)); }
    static Vec Add(Vec a, Vec b) { return _mm_add_epi8(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm_sub_epi8(a, b); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static Vec Min(Vec a, Vec b) { return _mm_min_epu8(a, b); }
    static Vec Max(Vec a, Vec b) { return _mm_max_epu8(a, b); }
    static Vec Avg(Vec a, Vec b) { return _mm_avg_epu8(a, b); }
    static Vec GreaterSigned(Vec a, Vec b) { return _mm_cmpgt_epi8(a, b); }
    static Vec Eq(Vec a, Vec b) { return _mm_cmpeq_epi8(a, b); }
    static Vec Select(Vec mask, Vec yes, Vec no) {
        return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
    }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm_xor_si128(a, b); }
    // Bit i set where byte i of the mask `m` is set.
    static std::uint64_t Bits(Vec m) { return static_cast<unsigned>(_mm_movemask_epi8(m)); }
    // ESC, SO and SI.
    static std::uint64_t JisSwitchMask(Vec x) {
        Vec shifts = Eq(And(x, Set1(0xFE)), Set1(0x0E));
        return Bits(Or(Eq(x, Set1(0x1B)), shifts));
    }
    static std::uint64_t EqMask(Vec x, unsigned b) {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, Set1(b))));
    }
    // Bytes from 0x81 up.
    static std::uint64_t HighMask(Vec x) {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(_mm_xor_si128(x, Set1(0x80)), Zero())));
    }
    // Bit i of `bits` set gives 0xFF in byte i.
    static Vec ExpandMask(std::uint64_t bits) {
        return _mm_set_epi64x(static_cast<long long>(kMaskTable.bytes[(bits >> 8) & 0xFF]),
                              static_cast<long long>(kMaskTable.bytes[bits & 0xFF]));
    }
    // Byte i takes byte i - 1; byte 0 takes the last byte of `before`.
    static Vec ShiftUp(Vec v, Vec before) { return _mm_or_si128(_mm_slli_si128(v, 1), _mm_srli_si128(before, 15)); }
    // Byte i < at stays, `b` goes to byte at, byte i > at takes byte i - 1.
    static Vec InsertAt(Vec v, unsigned at, unsigned b) {
        const Vec index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        Vec pos = Set1(at);
        Vec moved = Select(_mm_cmpgt_epi8(index, pos), _mm_slli_si128(v, 1), v);
        return Select(_mm_cmpeq_epi8(index, pos), Set1(b), moved);
    }
    static Vec EvenBytes() { return _mm_set1_epi16(0x00FF); }
    static Vec OddBytes() { return _mm_set1_epi16(static_cast<short>(0xFF00)); }
};

}  // namespace
}  // namespace kanji

#endif
