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
    kAvx512,  // 64-byte blocks, then as kAvx2 for the rest
};

// Whether this build on this processor has `path`.
bool HasBlockPath(BlockPath path);

// Converts `in` (n bytes before its NUL) as the text of `code` (a KanjiCode)
// with the blocks of `path`, or with none where it is missing. Returns the
// output's length before its NUL, as ConvertToSjisLength does.
std::size_t ConvertOn(BlockPath path, int code, char* out, const char* in, std::size_t n);

// Texts whose length is not given are taken a piece at a time: the NUL is
// looked for in the next piece just before it is converted, so that each
// byte comes from memory once and is still in the cache when it is
// converted (a length pass over the whole text first would read it twice).
constexpr std::size_t kPieceSize = 8 * 1024;
constexpr std::size_t kMinPieceSize = 8;  // more than the longest unit or escape sequence
constexpr int kDetectCode = -1;

// Converts the NUL-terminated `in` as the text of `code`, or, for
// kDetectCode, as ConvertToSjis does, `pieceSize` bytes at a time (at least
// kMinPieceSize) with the blocks of `path`. Returns the output's length
// before its NUL.
std::size_t ConvertTextOn(BlockPath path, int code, char* out, const char* in, std::size_t pieceSize);

}  // namespace kanji

#endif
