// The texts the key benchmark types into, made from Debian's Japanese
// manual pages.
#ifndef RUVOK_BENCH_KEYS_TEXTS_H
#define RUVOK_BENCH_KEYS_TEXTS_H

#include <cstddef>
#include <string>

namespace keys {

struct Text {
    std::string sjis;
    std::string utf8;
};

// The longest start of a Shift_JIS text of at most n bytes that ends on a
// character's end.
std::size_t SjisCut(const std::string& s, std::size_t n);

// The manual pages (about 8 x bytes of them), Shift_JIS, with LF line ends;
// empty where there are none.
std::string ManualPages(std::size_t bytes);

// Whole lines of the pages, at most `bytes`; and the pages as one line of
// `bytes` without line ends.
Text Prose(const std::string& pages, std::size_t bytes);
Text OneLine(const std::string& pages, std::size_t bytes);

}  // namespace keys

#endif
