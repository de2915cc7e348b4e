// A file's text and code page 932: Unicode (UTF-8 or UTF-16) text as the
// code page 932 text the edit control holds (CR LF line ends, GETA MARK for
// each character the code page lacks, the Linux forms of its characters as
// its own), and whether a text is code page 932 at all.
#ifndef RUVOK_UNICODETEXT_H
#define RUVOK_UNICODETEXT_H

#include <cstddef>
#include <string>

enum class UnicodeEncoding { Utf8, Utf16Le, Utf16Be };

struct UnicodeFileText {
    std::string text;   // code page 932 bytes
    bool endedAtNul;    // a NUL character ended the text before the bytes did
};

// The n bytes after the byte-order mark (if any), as far as the first NUL
// character. bCut says the bytes were cut from a longer file: a character
// cut by their end is then left out, not taken for a bad one.
UnicodeFileText AfxUnicodeToCodePage932(const char* bytes, std::size_t n, UnicodeEncoding encoding,
                                        bool bCut);

// Whether the n bytes are code page 932 text throughout: every byte a
// character or part of one, no 00 byte. Anything else (a binary file, a text
// read in the wrong code) would not read back as it was shown.
bool AfxIsCodePage932Text(const char* bytes, std::size_t n);

#endif
