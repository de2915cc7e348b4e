// Which block converters the target can have: SSE2 on every x86-64, and AVX2
// beside it where the compiler can build it, and blocks on AVX-512 where
// the build has them (both chosen at run time).
#ifndef RUVOK_CONV_SIMD_H
#define RUVOK_CONV_SIMD_H

#if defined(__SSE2__) && defined(__x86_64__)
#define RUVOK_HAVE_SSE2 1
#include <emmintrin.h>
#else
#define RUVOK_HAVE_SSE2 0
#endif

#if RUVOK_HAVE_SSE2 && defined(RUVOK_WITH_AVX2)
#define RUVOK_HAVE_AVX2 1
#else
#define RUVOK_HAVE_AVX2 0
#endif

#if RUVOK_HAVE_AVX2 && defined(RUVOK_WITH_AVX512)
#define RUVOK_HAVE_AVX512 1
#else
#define RUVOK_HAVE_AVX512 0
#endif

namespace kanji {

inline unsigned CountTrailingZeros(unsigned x) { return static_cast<unsigned>(__builtin_ctz(x)); }

}  // namespace kanji

#endif
