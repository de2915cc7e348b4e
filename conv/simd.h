// SSE2, where the target has it (every x86-64 does), for the block fast paths.
#ifndef RUVOK_CONV_SIMD_H
#define RUVOK_CONV_SIMD_H

#if defined(__SSE2__) || defined(_M_X64)
#define RUVOK_HAVE_SSE2 1
#include <emmintrin.h>
#else
#define RUVOK_HAVE_SSE2 0
#endif

namespace kanji {

inline unsigned CountTrailingZeros(unsigned x) { return static_cast<unsigned>(__builtin_ctz(x)); }

}  // namespace kanji

#endif
