// Shift_JIS (code page 932) to UTF-8 for reading in a terminal.
#ifndef RUVOK_TOOLS_CP932_UTF8_H
#define RUVOK_TOOLS_CP932_UTF8_H

#include <cstddef>

// False in a build that has no code page 932 decoder (a cross build without
// ICU on a platform other than Windows).
bool Cp932DecoderAvailable();

// Which decoder this build uses, for --help and --version.
const char* Cp932DecoderName();

struct Utf8Outcome {
    int write_error = 0;     // errno value of a failed write to standard output, or 0
    size_t undecodable = 0;  // bytes that became U+FFFD
    bool decoder_failed = false;
};

// Decodes `size` bytes of code page 932 and writes them to standard output
// as UTF-8 with LF line ends: CR LF and a lone CR each become one LF. Every
// byte that does not decode becomes one U+FFFD.
Utf8Outcome WriteCp932AsUtf8(const char* sjis, size_t size);

#endif
