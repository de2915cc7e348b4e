// Bytes written as hex pairs ("82 A0 0D 0A"), both ways, for the tables of
// ruvok-conv's tests.
#ifndef RUVOK_TESTS_TOOLS_HEX_BYTES_H
#define RUVOK_TESTS_TOOLS_HEX_BYTES_H

#include <cstddef>
#include <cstdio>
#include <string>

// "82 A0" to its two bytes; spaces between the pairs are optional.
inline std::string Bytes(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

// The bytes as upper-case pairs with one space between them.
inline std::string Hex(const std::string& bytes) {
    std::string hex;
    char cell[4];
    for (unsigned char c : bytes) {
        std::snprintf(cell, sizeof cell, hex.empty() ? "%02X" : " %02X", c);
        hex += cell;
    }
    return hex;
}

#endif
