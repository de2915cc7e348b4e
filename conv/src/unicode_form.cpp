#include "unicode_form.h"

#include <cstring>

namespace {

// The length of the UTF-8 character at p (p < end): 1 to 4 when it is whole
// and valid (no overlong form, no surrogate, nothing above U+10FFFF), 0 when
// it is invalid, and -1 when it is valid as far as it goes but cut by `end`.
int Utf8CharAt(const unsigned char* p, const unsigned char* end) {
    unsigned c = p[0];
    if (c < 0x80) return 1;
    int length;
    unsigned low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;   // overlong below U+0800
        if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;   // overlong below U+10000
        if (c == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (p + k == end) return -1;
        unsigned b = p[k];
        if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) return 0;
    }
    return length;
}

}  // namespace

std::size_t ValidUtf8Prefix(const char* text, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = p + n;
    const unsigned char* q = p;
    while (q != end) {
        // ASCII eight bytes at a time.
        if (end - q >= 8) {
            unsigned long long word;
            std::memcpy(&word, q, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                q += 8;
                continue;
            }
        }
        int length = Utf8CharAt(q, end);
        if (length <= 0) break;
        q += length;
    }
    return static_cast<std::size_t>(q - p);
}

int DetectUnicodeForm(const char* text, std::size_t n, std::size_t* bom) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    *bom = 0;
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        *bom = 3;
        return UF_UTF8;
    }
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        *bom = 2;
        return UF_UTF16LE;
    }
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        *bom = 2;
        return UF_UTF16BE;
    }
    std::size_t valid = ValidUtf8Prefix(text, n);
    if (valid < n) {
        // Only a character cut by the end may follow the valid part.
        if (Utf8CharAt(p + valid, p + n) != -1) return UF_NONE;
    }
    for (std::size_t i = 0; i < valid; ++i)
        if (p[i] >= 0x80) return UF_UTF8;
    return UF_NONE;
}
