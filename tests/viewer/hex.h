// Bytes as hex pairs, for failure messages of the viewer's tests.
#ifndef RUVOK_TESTS_HEX_H
#define RUVOK_TESTS_HEX_H

#include <QByteArray>

#include <cstddef>
#include <cstdio>
#include <string>

namespace viewtest {

inline std::string Hex(const char* bytes, std::size_t n)
{
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", static_cast<unsigned char>(bytes[i]));
        out += buf;
    }
    return out;
}

inline std::string Hex(const char* s)
{
    return Hex(s, std::char_traits<char>::length(s));
}

inline std::string Hex(const std::string& s)
{
    return Hex(s.data(), s.size());
}

inline std::string Hex(const QByteArray& s)
{
    return Hex(s.constData(), static_cast<std::size_t>(s.size()));
}

}  // namespace viewtest

#endif
