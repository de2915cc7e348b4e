// Random byte texts that lean on the bytes the converters treat specially:
// ESC and the bytes of escape sequences, LF and CR, and the high bytes whose
// ranges decide detection and pairing.
#ifndef RUVOK_TESTS_CONV_TEXT_MAKER_H
#define RUVOK_TESTS_CONV_TEXT_MAKER_H

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "conv_test_support.h"

namespace convtest {

class TextMaker {
public:
    explicit TextMaker(std::uint64_t seed) : rng_(seed) {}

    unsigned Below(unsigned n) { return static_cast<unsigned>(rng_() % n); }
    unsigned Between(unsigned lo, unsigned hi) { return lo + Below(hi - lo + 1); }

    // Mostly short texts, some up to a few kilobytes.
    std::size_t Length(std::size_t max)
    {
        unsigned r = Below(10);
        std::size_t cap = r < 5 ? 64 : r < 8 ? 512 : max;
        if (cap > max) cap = max;
        return Below(static_cast<unsigned>(cap) + 1);
    }

    // Never NUL.
    char WeightedByte()
    {
        static const unsigned char kEscapeBytes[] = {'B', 'J', '?', '@', 'I', 'D', 'P', 'Q'};
        static const unsigned char kBoundaries[] = {0x80, 0x81, 0x8E, 0x8F, 0x9F, 0xA0,
                                                    0xA1, 0xDF, 0xE0, 0xEF, 0xFE, 0xFF};
        unsigned r = Below(100);
        if (r < 10) return 0x1B;
        if (r < 16) return '$';
        if (r < 22) return '(';
        if (r < 28) return static_cast<char>(kEscapeBytes[Below(sizeof kEscapeBytes)]);
        if (r < 36) return '\n';
        if (r < 42) return '\r';
        if (r < 68) return static_cast<char>(Between(0x80, 0xFF));
        if (r < 72) return static_cast<char>(kBoundaries[Below(sizeof kBoundaries)]);
        if (r < 74) return Below(2) ? '\x0e' : '\x0f';  // SO, SI
        return static_cast<char>(Between(0x01, 0x7F));
    }

    // A byte sequence that means something to one of the converters.
    Bytes Token()
    {
        static const char* const kTokens[] = {
            "\x1b$B", "\x1b(B", "\x1b(J", "\x1b$@", "\x1b(I", "\x1b$(D", "\r\n",
            "\x1b$B0!\x1b(B", "\xb0\xa1", "\x88\x9f", "\xe0\xa1", "\r\x1b(B\n",
            // Half-width katakana and the sets code page 932 lacks.
            "\x1b(I", "\x1b$(P", "\x1b$(Q", "\x0e", "\x0f", "\x8e\xb1", "\x8e\xdf",
            "\x8f\xa1\xa1", "\x8f\xb0\xfe", "\xb1\n", "\x1b(I1\n2\x1b(B", "\x0e" "12\x0f",
        };
        return kTokens[Below(sizeof kTokens / sizeof kTokens[0])];
    }

    Bytes Weighted(std::size_t length)
    {
        Bytes text;
        text.reserve(length + 8);
        while (text.size() < length) {
            if (Below(100) < 8) text += Token();
            else text += WeightedByte();
        }
        text.resize(length);
        return text;
    }

    // Printable ASCII with line ends of every kind now and then.
    Bytes Ascii(std::size_t length)
    {
        Bytes text;
        while (text.size() < length) {
            unsigned r = Below(60);
            if (r == 0) text += '\n';
            else if (r == 1) text += "\r\n";
            else if (r == 2) text += '\r';
            else text += static_cast<char>(Between(0x20, 0x7E));
        }
        text.resize(length);
        return text;
    }

    Bytes HighBytes(std::size_t length)
    {
        Bytes text;
        while (text.size() < length) {
            unsigned r = Below(40);
            if (r == 0) text += '\n';
            else if (r == 1) text += "\r\n";
            else text += static_cast<char>(Between(0x80, 0xFF));
        }
        text.resize(length);
        return text;
    }

    // ESC $ B, pairs (now and then with LF, CR, ESC or high bytes in them),
    // ESC ( B, then some ASCII.
    Bytes KanjiMode(std::size_t length)
    {
        Bytes text;
        while (text.size() < length) {
            text += Below(4) ? "\x1b$B" : "\x1b$@";
            unsigned pairs = Between(1, 120);
            for (unsigned i = 0; i < pairs; ++i) {
                unsigned r = Below(50);
                if (r == 0) text += '\n';
                else if (r == 1) text += '\r';
                else if (r == 2) text += static_cast<char>(Between(0x80, 0xFF));
                else if (r == 3) text += '\x1b';
                else text += static_cast<char>(Between(0x21, 0x7E));
                text += static_cast<char>(Between(0x21, 0x7E));
            }
            text += Below(4) ? "\x1b(B" : "\x1b(J";
            text += Ascii(Below(40));
        }
        text.resize(length);
        return text;
    }

    // Half-width katakana and JIS X 0212 among kanji, ASCII and line ends, in
    // every form the three encodings give them (SS2, SS3, single bytes from
    // 0xA1, ESC ( I, SO and SI, ESC $ ( D), with a kanji first now and then so
    // that each form is detected as what it is.
    Bytes KatakanaMix(std::size_t length)
    {
        static const char* const kUnits[] = {
            "\x8e", "\x8f", "\x1b(I", "\x1b(B", "\x1b$B", "\x1b$(D", "\x1b$(Q", "\x0e", "\x0f",
            "\n", "\r\n", "\r",
        };
        Bytes text;
        if (Below(2)) text += Below(2) ? "\xb0\xa1" : Below(2) ? "\x88\x9f" : "\x1b$B0!\x1b(B";
        while (text.size() < length) {
            unsigned r = Below(10);
            if (r < 4) text += static_cast<char>(Between(0xA1, 0xDF));  // katakana, or an EUC-JP byte
            else if (r < 6) text += static_cast<char>(Between(0x21, 0x7E));
            else if (r < 7) text += static_cast<char>(Between(0x80, 0xFF));
            else text += kUnits[Below(sizeof kUnits / sizeof kUnits[0])];
        }
        text.resize(length);
        return text;
    }

    std::mt19937_64& Engine() { return rng_; }

private:
    std::mt19937_64 rng_;
};

}  // namespace convtest

#endif
