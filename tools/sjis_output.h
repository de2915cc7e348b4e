// ConvertToSjis over a whole file's text, with the converted length found.
#ifndef RUVOK_TOOLS_SJIS_OUTPUT_H
#define RUVOK_TOOLS_SJIS_OUTPUT_H

#include <cstddef>

#include "byte_io.h"

// Converts the NUL-terminated `text` of `length` bytes into `out` and sets
// `converted` to the length of the result, which may itself hold 00 bytes
// (EUC-JP A1 60 converts to 81 00, for one). `text[length]` must be its
// first NUL. False when memory runs out.
bool ConvertWholeText(const char* text, size_t length, ByteBuffer& out, size_t* converted);

#endif
