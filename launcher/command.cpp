#include "command.h"

#include <cstring>

namespace {

constexpr char kDoubleQuote = '"';

}  // namespace

bool HasDoubleQuote(const char* tail)
{
    for (const char* p = tail; *p != '\0'; ++p) {
        if (*p == kDoubleQuote)
            return true;
    }
    return false;
}

const char* CommandFormat(const char* tail)
{
    return HasDoubleQuote(tail) ? kQuotedTailFormat : kBareTailFormat;
}

std::size_t CommandLength(const char* tail)
{
    const std::size_t frame = HasDoubleQuote(tail) ? sizeof "ruvok " - 1 : sizeof "ruvok \"\"" - 1;
    return std::strlen(tail) + frame;
}

void FormatCommand(char* out, const char* format, const char* arg)
{
    for (const char* f = format; *f != '\0'; ++f) {
        if (f[0] == '%' && f[1] == 's') {
            const std::size_t n = std::strlen(arg);
            std::memcpy(out, arg, n);
            out += n;
            ++f;
        } else if (f[0] == '%' && f[1] == '%') {
            *out++ = '%';
            ++f;
        } else {
            *out++ = *f;
        }
    }
    *out = '\0';
}
