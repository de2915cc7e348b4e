// ConvertToSjis for callers that know the text's length and need the
// output's: a converted pair can itself be 00, so the output's first NUL need
// not be its end. As with ConvertToSjis, bytes after the terminating NUL are
// unspecified (the block converters may have written ahead), up to 2n+1.
#ifndef RUVOK_KANJICODE_LENGTH_H
#define RUVOK_KANJICODE_LENGTH_H

#include <cstddef>

// `in` holds `n` bytes before its NUL (in[n] is 0 and no byte before it is).
// Writes what ConvertToSjis writes and returns the number of bytes before the
// terminating NUL.
std::size_t ConvertToSjisLength(char* out, const char* in, std::size_t n);

#endif
