// Detection over a text of known length, for the converters' own use.
#ifndef RUVOK_CONV_DETECT_H
#define RUVOK_CONV_DETECT_H

#include <cstddef>

namespace kanji {

// `text` holds `n` bytes before its NUL. Same answer as DetectKanjiCode.
int DetectKanjiCodeN(const unsigned char* text, std::size_t n);

// The byte-at-a-time scan; `end` null means up to the NUL.
int DetectFrom(const unsigned char* p, const unsigned char* end, unsigned& pending);

}  // namespace kanji

#endif
