// Whether a text is Unicode rather than one of the three Japanese codes: a
// byte-order mark says so, or the text is valid UTF-8 throughout and holds
// at least one multi-byte character. ASCII alone is no answer: it reads the
// same in every code.
#ifndef RUVOK_UNICODE_FORM_H
#define RUVOK_UNICODE_FORM_H

#include <cstddef>

enum UnicodeForm {
    UF_NONE = 0,     // not Unicode: DetectKanjiCode decides
    UF_UTF8 = 1,     // a UTF-8 byte-order mark, or valid UTF-8 with a multi-byte character
    UF_UTF16LE = 2,  // the byte-order mark FF FE
    UF_UTF16BE = 3,  // the byte-order mark FE FF
};

// Looks at the `n` bytes at `text` (a NUL among them is a byte like any
// other: UTF-16 text is full of them, so a caller that ends legacy text at
// its first NUL passes only the bytes before it, after it has looked for a
// UTF-16 mark in the whole). `*bom` gets the length of the byte-order mark
// (0, 2 or 3), which is not part of the text. A multi-byte character cut by
// the end of the bytes neither spoils nor makes UTF-8: a file read in part
// may end inside one.
int DetectUnicodeForm(const char* text, std::size_t n, std::size_t* bom);

// The length of the longest prefix of the n bytes that is whole, valid UTF-8
// characters; n itself when all of them are.
std::size_t ValidUtf8Prefix(const char* text, std::size_t n);

#endif
