#include "command_line.h"

namespace {

constexpr unsigned char kDoubleQuote = 0x22;
constexpr unsigned char kBlank = 0x20;

}  // namespace

bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

const char* FindCommandTail(const char* commandLine, LeadByteTest isLeadByte)
{
    if (commandLine == nullptr)
        return "";
    auto p = reinterpret_cast<const unsigned char*>(commandLine);
    if (*p == kDoubleQuote) {
        ++p;
        while (*p != '\0' && *p != kDoubleQuote) {
            // A lead byte takes its trail byte with it, but never the NUL: a
            // lead byte at the very end must not carry the scan past the text.
            if (isLeadByte(*p) && p[1] != '\0')
                ++p;
            ++p;
        }
        if (*p == kDoubleQuote)
            ++p;
    } else {
        while (*p > kBlank)
            ++p;
    }
    while (*p != '\0' && *p <= kBlank)
        ++p;
    return reinterpret_cast<const char*>(p);
}
