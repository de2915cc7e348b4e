// The texts the key benchmark types into: Debian's Japanese manual pages as
// Shift_JIS (and as UTF-8 for the other programs), as prose and as one line.
#include "keys_texts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <iconv.h>

namespace keys {

namespace {

std::string Convert(const std::string& in, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string();
    std::string out(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        // A character the other code lacks is left out; a UTF-8 one whole.
        do {
            ++src;
            --srcLeft;
        } while (srcLeft > 0 && std::strcmp(from, "UTF-8") == 0
                 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80);
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace

// The longest start of a Shift_JIS text of at most n bytes that ends on a
// character's end.
std::size_t SjisCut(const std::string& s, std::size_t n)
{
    std::size_t i = 0, last = 0;
    while (i < s.size() && i <= n) {
        last = i;
        const auto c = static_cast<unsigned char>(s[i]);
        i += ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    }
    return i <= n ? i : last;
}

// The manual pages, Shift_JIS, with LF line ends; empty where there are none.
std::string ManualPages(std::size_t bytes)
{
    FILE* in = ::popen("find /usr/share/man/ja -name '*.gz' 2>/dev/null | sort | head -400 "
                       "| xargs -r zcat 2>/dev/null", "r");
    if (in == nullptr)
        return std::string();
    std::string utf8;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0 && utf8.size() < 8 * bytes)
        utf8.append(buf, n);
    ::pclose(in);
    return Convert(utf8, "CP932", "UTF-8");
}

Text Prose(const std::string& pages, std::size_t bytes)
{
    std::size_t end = SjisCut(pages, bytes);
    const std::size_t lf = pages.rfind('\n', end == 0 ? 0 : end - 1);
    if (lf != std::string::npos)
        end = lf + 1;
    Text t;
    t.sjis = pages.substr(0, end);
    t.utf8 = Convert(t.sjis, "UTF-8", "CP932");
    return t;
}

Text OneLine(const std::string& pages, std::size_t bytes)
{
    std::string joined;
    joined.reserve(pages.size());
    for (char c : pages)
        if (c != '\n')
            joined += c;
    Text t;
    t.sjis = joined.substr(0, SjisCut(joined, bytes));
    t.utf8 = Convert(t.sjis, "UTF-8", "CP932");
    return t;
}

}  // namespace keys
