// Byte operations on 32-byte AVX2 vectors, for blocks.h. Only for code
// compiled with AVX2 enabled and run where the processor has it.
#ifndef RUVOK_CONV_VEC_AVX2_H
#define RUVOK_CONV_VEC_AVX2_H

#include <immintrin.h>

#include <cstdint>

#include "state.h"

namespace kanji {
namespace {

struct Avx2 {
    using Vec = __m256i;
    static constexpr unsigned kWidth = 32;

    static Vec Load(const Byte* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void Store(Byte* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static Vec Zero() { return _mm256_setzero_si256(); }
    static Vec Set1(unsigned b) { return _mm256_set1_epi8(static_cast<char>(b)); }
    static Vec Add(Vec a, Vec b) { return _mm256_add_epi8(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm256_sub_epi8(a, b); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static Vec Min(Vec a, Vec b) { return _mm256_min_epu8(a, b); }
    static Vec Max(Vec a, Vec b) { return _mm256_max_epu8(a, b); }
    static Vec Avg(Vec a, Vec b) { return _mm256_avg_epu8(a, b); }
    static Vec GreaterSigned(Vec a, Vec b) { return _mm256_cmpgt_epi8(a, b); }
    static Vec Eq(Vec a, Vec b) { return _mm256_cmpeq_epi8(a, b); }
    static Vec Select(Vec mask, Vec yes, Vec no) { return _mm256_blendv_epi8(no, yes, mask); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm256_xor_si256(a, b); }
    // Bit i set where byte i of the mask `m` is set.
    static std::uint64_t Bits(Vec m) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(m)); }
    // ESC, SO and SI: a byte is one when the table entry of its low four
    // bits is the byte itself (bytes from 0x80 look up 0, which they never are).
    static std::uint64_t JisSwitchMask(Vec x) {
        const Vec table = _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0x1B, -1, -1, 0x0E, 0x0F,
                                           -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0x1B, -1, -1, 0x0E, 0x0F);
        return Bits(_mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, x), x));
    }
    static std::uint64_t EqMask(Vec x, unsigned b) {
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, Set1(b))));
    }
    // Bytes from 0x81 up.
    static std::uint64_t HighMask(Vec x) {
        Vec flipped = _mm256_xor_si256(x, Set1(0x80));
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpgt_epi8(flipped, Zero())));
    }
    // Bit i of `bits` set gives 0xFF in byte i: each byte picks the mask byte
    // that holds its bit, then tests that bit.
    static Vec ExpandMask(std::uint64_t bits) {
        Vec spread = _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(bits)),
                                         _mm256_setr_epi64x(0, 0x0101010101010101ll, 0x0202020202020202ll,
                                                            0x0303030303030303ll));
        Vec bit = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201ull));
        return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bit), bit);
    }
    // Byte i takes byte i - 1; byte 0 takes the last byte of `before`.
    static Vec ShiftUp(Vec v, Vec before) {
        return _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, before, 0x03), 15);
    }
    // Byte i < at stays, `b` goes to byte at, byte i > at takes byte i - 1.
    static Vec InsertAt(Vec v, unsigned at, unsigned b) {
        const Vec index = _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                           20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
        Vec pos = Set1(at);
        Vec moved = Select(_mm256_cmpgt_epi8(index, pos), ShiftUp(v, Zero()), v);
        return Select(_mm256_cmpeq_epi8(index, pos), Set1(b), moved);
    }
    static Vec EvenBytes() { return _mm256_set1_epi16(0x00FF); }
    static Vec OddBytes() { return _mm256_set1_epi16(static_cast<short>(0xFF00)); }
};

}  // namespace
}  // namespace kanji

#endif
