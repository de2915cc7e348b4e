// Made-up Japanese texts for the benchmarks, the same on every run: a stream
// of ASCII bytes, JIS X 0208 characters and line ends, rendered in each of
// the three encodings.
#ifndef RUVOK_BENCH_TEXT_GENERATOR_H
#define RUVOK_BENCH_TEXT_GENERATOR_H

#include <cstddef>
#include <cstdint>
#include <string>

enum class TextKind {
    kKanjiHeavy,  // about 90 % JIS X 0208 characters: kanji, kana, punctuation
    kAsciiHeavy,  // about 90 % ASCII
};

enum class TextEncoding { kJis, kEuc, kSjis };

const char* TextKindName(TextKind kind);
const char* TextEncodingName(TextEncoding encoding);

// A text of at most `size` bytes, cut after a whole line end, with a line end
// every 30 to 60 characters (LF). JIS text switches with ESC $ B and ESC ( B
// and is back in ASCII mode before each line end.
std::string MakeText(TextKind kind, TextEncoding encoding, size_t size, uint64_t seed = 1);

#endif
