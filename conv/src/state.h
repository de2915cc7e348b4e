// The state a conversion carries from unit to unit, handed between the
// block converters of each instruction set and the one-unit steps.
#ifndef RUVOK_CONV_STATE_H
#define RUVOK_CONV_STATE_H

#include <cstdint>

namespace kanji {

using Byte = unsigned char;

enum class PairKind { kCopy, kEuc };

// Shift_JIS or EUC-JP text. `end` is the text's NUL when `textEnds` is
// set; otherwise it ends a piece of the text, and a unit it cuts is left,
// unread, for the piece that follows.
struct PairState {
    const Byte* p;
    const Byte* end;
    Byte* o;
    unsigned prev;    // first byte of the previous unit
    bool textEnds;
};

// What the units of 7-bit JIS text are: single bytes in ASCII and
// half-width katakana mode, pairs in the two others.
enum JisMode : unsigned {
    kAsciiMode,
    kKatakanaMode,
    kKanjiMode,    // JIS X 0208 pairs
    kLackingMode,  // pairs of a set code page 932 lacks, each a GETA MARK
};

inline bool IsPairMode(unsigned mode) { return mode >= kKanjiMode; }

// 7-bit JIS text.
struct JisState {
    const Byte* p;
    const Byte* end;  // as for PairState
    Byte* o;
    unsigned prev;    // the previous byte of the line-end rule
    unsigned mode;    // a JisMode
    bool textEnds;
};

// Texts of unknown length are converted a piece at a time, each piece
// searched for the NUL just before its blocks run (ConvertTextOn). The blocks
// ask for the bytes one piece (kPieceSize) ahead of them, so that the search
// finds the next piece in the cache rather than waiting for memory. A hint
// only: it never faults, wherever the text ends.
constexpr std::uintptr_t kFetchAhead = 8 * 1024;
inline void FetchAhead(const Byte* p) {
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(p) + kFetchAhead));
}

// The block converters of one instruction set. Each runs while a whole block
// remains before the NUL and leaves the state at a unit start.
void PairBlocksSse2(PairState& s, PairKind kind);
void JisBlocksSse2(JisState& s);
void PairBlocksAvx2(PairState& s, PairKind kind);
void JisBlocksAvx2(JisState& s);
void PairBlocksAvx512(PairState& s, PairKind kind);
void JisBlocksAvx512(JisState& s);

}  // namespace kanji

#endif
