// Byte values and small helpers shared by the detection and conversion code.
#ifndef RUVOK_CONV_BYTES_H
#define RUVOK_CONV_BYTES_H

namespace kanji {

constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kDollar = 0x24;  // ESC $ x: kanji mode on
constexpr unsigned char kParen = 0x28;   // ESC ( x: kanji mode off

// From here up a byte starts a two-byte unit in Shift_JIS and EUC-JP text.
constexpr unsigned char kFirstPairByte = 0x81;

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
