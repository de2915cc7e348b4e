// The block converters one by one, so that tests and benchmarks can hold each
// against the plain converters on the same machine. The programs never need it.
#ifndef RUVOK_KANJICODE_PATHS_H
#define RUVOK_KANJICODE_PATHS_H

#include <cstddef>

namespace kanji {

enum class BlockPath {
    kNone,  // the one-unit steps alone
    kSse2,
    kAvx2,  // 32-byte blocks, then 16-byte ones for the rest
    kAvx512,  // 64-byte JIS blocks, then as kAvx2; other texts as kAvx2
};

// Whether this build on this processor has `path`.
bool HasBlockPath(BlockPath path);

// Converts `in` (n bytes before its NUL) as the text of `code` (a KanjiCode)
// with the blocks of `path`, or with none where it is missing. Returns the
// output's length before its NUL, as ConvertToSjisLength does.
std::size_t ConvertOn(BlockPath path, int code, char* out, const char* in, std::size_t n);

}  // namespace kanji

#endif
