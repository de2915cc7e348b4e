// Detection over a text of known length, for the converters' own use.
#ifndef RUVOK_CONV_DETECT_H
#define RUVOK_CONV_DETECT_H

#include <cstddef>

#include "kanjicode_stream.h"

namespace kanji {

// `text` holds `n` bytes before its NUL. Same answer as DetectKanjiCode.
int DetectKanjiCodeN(const unsigned char* text, std::size_t n);

void StartDetector(KanjiDetector& d);

// The answer for a text that ends where the scan has got to.
int DetectorAnswer(const KanjiDetector& d);

}  // namespace kanji

#endif
