// Byte values and small helpers shared by the detection and conversion code.
#ifndef RUVOK_CONV_BYTES_H
#define RUVOK_CONV_BYTES_H

namespace kanji {

constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kSo = 0x0E;      // JIS: half-width katakana on
constexpr unsigned char kSi = 0x0F;      // JIS: back to ASCII
constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kDollar = 0x24;  // ESC $ x: kanji mode on
constexpr unsigned char kParen = 0x28;   // ESC ( x: kanji mode off
constexpr unsigned char kKatakanaFinal = 0x49;  // ESC ( I: half-width katakana
constexpr unsigned char kSs2 = 0x8E;     // EUC-JP: a half-width katakana follows
constexpr unsigned char kSs3 = 0x8F;     // EUC-JP: a JIS X 0212 character follows

// GETA MARK, the usual stand-in for a character code page 932 lacks.
constexpr unsigned char kGeta[2] = {0x81, 0xAC};

// From here up a byte starts a two-byte unit in EUC-JP text.
constexpr unsigned char kFirstPairByte = 0x81;

// Shift_JIS lead bytes; every other byte is a unit of its own, half-width
// katakana (0xA1 to 0xDF) included.
inline bool IsSjisLead(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The bytes of the EUC-JP code sets: half-width katakana after SS2, and
// each byte of a JIS X 0212 character after SS3.
inline bool IsEucKatakana(unsigned c) { return c >= 0xA1 && c <= 0xDF; }
inline bool IsEucByte(unsigned c) { return c >= 0xA1 && c <= 0xFE; }

// JIS half-width katakana mode: 0x21 to 0x5F stand for 0xA1 to 0xDF.
inline unsigned char JisKatakana(unsigned c) {
    return static_cast<unsigned char>(c >= 0x21 && c <= 0x5F ? c + 0x80 : c);
}

// The final byte of ESC $ ( F that selects a set code page 932 lacks
// (JIS X 0212, JIS X 0213 plane 2).
inline bool IsLackingSet(unsigned f) { return f == 'D' || f == 'P'; }

// The arithmetic JIS X 0208 to Shift_JIS mapping, applied to any two bytes.
inline void MapJisPair(unsigned char a, unsigned char b, unsigned char* out) {
    unsigned first = ((a + 1u) >> 1) + (a <= 0x5E ? 0x70u : 0xB0u);
    unsigned k = (a & 1u) == 0 ? 0x7Eu : (b < 0x60 ? 0x1Fu : 0x20u);
    out[0] = static_cast<unsigned char>(first);
    out[1] = static_cast<unsigned char>(b + k);
}

// An EUC-JP pair straight to Shift_JIS: the high bit off, then the JIS mapping.
inline void MapEucPair(unsigned char a, unsigned char b, unsigned char* out) {
    MapJisPair(static_cast<unsigned char>(a - 0x80), static_cast<unsigned char>(b - 0x80), out);
}

}  // namespace kanji

#endif
