#include "command_line.h"

namespace {

constexpr char kDoubleQuote = '"';
constexpr char kBackslash = '\\';

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t';
}

// Appends the character at p (two bytes for a double-byte character, but never
// the NUL) and returns the position after it.
const char* TakeCharacter(std::string& out, const char* p, LeadByteTest isLeadByte)
{
    if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        out += *p++;
    out += *p++;
    return p;
}

const char* SplitProgramName(std::string& out, const char* p, LeadByteTest isLeadByte)
{
    if (*p == kDoubleQuote) {
        ++p;
        while (*p != '\0' && *p != kDoubleQuote)
            p = TakeCharacter(out, p, isLeadByte);
        if (*p == kDoubleQuote)
            ++p;
        return p;
    }
    while (*p != '\0' && !IsSeparator(*p))
        p = TakeCharacter(out, p, isLeadByte);
    return p;
}

const char* SplitArgument(std::string& out, const char* p, LeadByteTest isLeadByte)
{
    bool inQuotes = false;
    for (;;) {
        std::size_t backslashes = 0;
        while (*p == kBackslash) {
            ++p;
            ++backslashes;
        }
        bool literal = true;
        if (*p == kDoubleQuote) {
            if (backslashes % 2 == 0) {
                if (inQuotes && p[1] == kDoubleQuote)
                    ++p;  // "" inside quotes: one literal quote, and the quotes close
                else
                    literal = false;
                inQuotes = !inQuotes;
            }
            backslashes /= 2;
        }
        out.append(backslashes, kBackslash);
        if (*p == '\0' || (!inQuotes && IsSeparator(*p)))
            return p;
        if (literal)
            p = TakeCharacter(out, p, isLeadByte);
        else
            ++p;
    }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine, LeadByteTest isLeadByte)
{
    std::vector<std::string> args;
    if (commandLine == nullptr)
        return args;
    const char* p = commandLine;
    args.emplace_back();
    p = SplitProgramName(args.back(), p, isLeadByte);
    for (;;) {
        while (IsSeparator(*p))
            ++p;
        if (*p == '\0')
            return args;
        args.emplace_back();
        p = SplitArgument(args.back(), p, isLeadByte);
    }
}
