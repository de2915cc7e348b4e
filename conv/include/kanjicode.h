// Japanese code detection and conversion to Shift_JIS with CR LF line ends.
//
// Every routine works on a NUL-terminated byte text and, where it writes, on an
// output buffer that the caller owns: output first, input second. The caller
// gives at least 2 * n + 1 bytes of output for an input of n bytes before its
// NUL (a text of bare LFs doubles). Nothing is allocated, nothing is kept from
// one call to the next, and no routine reads past the input's terminator.
// Bytes after the output's terminating NUL are unspecified: the converters
// may write ahead of their position, but never past 2n+1 bytes.
#ifndef RUVOK_KANJICODE_H
#define RUVOK_KANJICODE_H

enum KanjiCode {
    KC_JIS = 0,
    KC_SJIS = 1,  // also plain ASCII, and text in which nothing decides
    KC_EUC = 2,
};

// Decides the encoding from the first byte or escape sequence that settles it.
int DetectKanjiCode(const char* text);

// Detects the encoding of `in` and converts it with the matching converter.
void ConvertToSjis(char* out, const char* in);

void ConvertJisText(char* out, const char* in);
void ConvertEucText(char* out, const char* in);
void ConvertSjisText(char* out, const char* in);

// Maps one JIS X 0208 code (two bytes) to Shift_JIS. Both input bytes are read
// before either output byte is written, so `out` may equal `in`.
void JisPairToSjis(char* out, const char* in);

// Turns one EUC-JP pair into the JIS code that JisPairToSjis takes.
void EucPairToJis(char* out, const char* in);

#endif
