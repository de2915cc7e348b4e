// Code page 932's mapping as plain tables (see cp932tables.cpp), for the
// decoder and encoder in cp932text.cpp.
#ifndef RUVOK_CP932TABLES_H
#define RUVOK_CP932TABLES_H

#include <array>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace cp932 {

constexpr char16_t kNoChar = 0;
constexpr unsigned kMaxSelectors = 16;

// The code page's mapping, asked of ICU once per process and kept as plain
// arrays: one lookup a byte or pair on either road.
struct Tables {
    // Decoding: the character of each single byte and pair (0: none), and
    // for a duplicate code the number of its variation selector plus one.
    std::array<char16_t, 256> single{};
    std::array<std::uint8_t, 256> singleSelector{};
    std::array<bool, 256> leadByte{};
    std::vector<char16_t> pair = std::vector<char16_t>(65536, kNoChar);
    std::vector<std::uint8_t> pairSelector = std::vector<std::uint8_t>(65536, 0);

    // Encoding: the code of each character (0: none; a single byte b is
    // stored as b, a pair as lead << 8 | trail), and of each duplicate by
    // character and selector.
    std::vector<std::uint16_t> code = std::vector<std::uint16_t>(65536, 0);
    std::map<std::pair<char16_t, unsigned>, std::uint16_t> duplicateCode;
    // Characters that are not code page 932's own but are stored as one of
    // its codes (the Linux forms).
    std::vector<bool> bestFit = std::vector<bool>(65536, false);

    Tables();
};

// The tables, made on first use.
const Tables& GetTables();

}  // namespace cp932

#endif
