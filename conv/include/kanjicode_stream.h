// Detection and conversion of a text that arrives in pieces, for callers
// that cannot hold it whole (ruvok-conv on a pipe or a file of any size).
// The output is byte for byte what ConvertToSjis gives for the whole text,
// however the text is cut. The caller owns the state: nothing is allocated
// and nothing is kept anywhere else.
#ifndef RUVOK_KANJICODE_STREAM_H
#define RUVOK_KANJICODE_STREAM_H

#include <cstddef>

// DetectKanjiCode over pieces. The fields are the scan's own; a caller only
// starts, feeds and finishes it.
struct KanjiDetector {
    int first;          // the code the first deciding byte gives, or -1
    unsigned pending;   // for that rule, a lead byte in wait of its partner, or 0
    unsigned shared;    // whether the deciding byte was 0x8E or 0x8F, which start units in both
    unsigned invalid;   // a bit (1 << code) for each code the text is invalid in
    unsigned sjisLead;  // Shift_JIS reading: a lead byte in wait of its trail, or 0
    unsigned eucLead;   // EUC-JP reading: the first byte of a unit not yet whole, or 0
    unsigned eucSecond; // and its second byte, in a three-byte unit
    int sjisScore;      // how likely each reading is, while both are valid
    int eucScore;
    unsigned sjisRow;   // the kanji row of each reading's last pair
    unsigned eucRow;
    unsigned sjisKana;  // whether each reading's last character was a half-width katakana
    unsigned eucKana;
};

void StartKanjiDetector(KanjiDetector* detector);

// Scans `n` bytes of the text (no NUL among them) and returns the KanjiCode
// as soon as nothing that follows can change it, or -1. `*used` is the number of bytes scanned:
// all of them, or all but an ESC near the end whose test needs bytes of the
// next piece; those must come again at its start.
int DetectInPiece(KanjiDetector* detector, const char* in, std::size_t n, std::size_t* used);

// The text ends after `n` more bytes (in[n] is 0, and may be the first):
// the answer DetectKanjiCode gives for the whole text.
int FinishDetector(KanjiDetector* detector, const char* in, std::size_t n);

// Conversion of one encoding over pieces.
struct SjisStream {
    int code;        // the KanjiCode the text is converted as
    unsigned prev;   // the previous byte of the line-end rule
    unsigned mode;   // JIS: the mode escape sequences and shifts select
};

// Starts a text of `code` (KC_SJIS for anything but KC_JIS and KC_EUC).
void StartSjisStream(SjisStream* stream, int code);

// Converts the whole units of `n` bytes of the text (no NUL among them) into
// `out`, which holds at least 2n bytes; returns the number of bytes written
// (there is no terminator). `*used` is the number of input bytes taken: all
// of them but a unit cut by the piece's end (at most three bytes), which must
// come again at the start of the next piece.
std::size_t ConvertSjisPiece(SjisStream* stream, char* out, const char* in, std::size_t n,
                             std::size_t* used);

// Converts the last `n` bytes of the text (in[n] is 0) as the end of the
// text: a unit cut by the end goes as ConvertToSjis has it. `out` holds at
// least 2n bytes; returns the number written (no terminator).
std::size_t FinishSjisStream(SjisStream* stream, char* out, const char* in, std::size_t n);

#endif
