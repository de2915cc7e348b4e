// The plain, byte-at-a-time converters: the reference that the fast converters
// in kanjicode.h must match byte for byte. Tests and benchmarks use them; the
// programs call the fast ones.
#ifndef RUVOK_KANJICODE_PLAIN_H
#define RUVOK_KANJICODE_PLAIN_H

namespace plain {

int DetectKanjiCode(const char* text);
void ConvertToSjis(char* out, const char* in);
void ConvertJisText(char* out, const char* in);
void ConvertEucText(char* out, const char* in);
void ConvertSjisText(char* out, const char* in);

}  // namespace plain

#endif
