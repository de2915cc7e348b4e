// One text through ruvok-conv in pieces of a fixed size: read, detect,
// convert and written piece by piece, so that memory stays the same
// whatever the size of the file or of the stream on standard input.
#ifndef RUVOK_TOOLS_TEXT_STREAM_H
#define RUVOK_TOOLS_TEXT_STREAM_H

#include <cstddef>
#include <cstdint>

#include "text_sink.h"

struct TextOutcome {
    int code = -1;             // the KanjiCode detection gave, where form is UF_NONE
    int form = 0;              // the UnicodeForm: UF_NONE for the Japanese codes
    uint64_t substituted = 0;  // Unicode text: characters written as GETA MARK
    int read_error = 0;        // errno value of a failed read, or 0
    int write_error = 0;       // from the sink
    bool nul = false;          // a NUL byte (in UTF-16, a NUL character) ended the text
    uint64_t nul_offset = 0;   // where
    uint64_t after_nul = 0;    // and how many bytes came after it
    uint64_t held = 0;         // bytes read twice while detection was undecided
};

// Reads the text from `fd` to its end or its first NUL, detects its code as
// DetectKanjiCode does on the whole text, and unless `sink` is null hands
// the conversion to Shift_JIS (byte for byte what ConvertToSjis gives for
// the whole text) to it piece by piece.
//
// Unicode comes first: a text that starts with a byte-order mark (UTF-8,
// UTF-16LE or UTF-16BE), or that is valid UTF-8 throughout and holds a
// multi-byte character, is converted from Unicode (see unicode_sjis.h). The
// mark is no part of the text; a NUL character ends UTF-16 text.
//
// Output can go out before detection decides only while the three
// converters agree on it: ASCII bytes other than ESC, SO and SI. From the
// first other byte of a text still undecided, a regular file is read again
// once detection has decided; from a pipe those bytes are kept in an
// unlinked temporary file and read back from there.
TextOutcome StreamText(int fd, TextSink* sink);

#endif
