// Unicode file text to code page 932 (see unicodetext.h), decoded by Qt and
// mapped through the code page's tables (cp932text.cpp).
#include "unicodetext.h"

#include "cp932text.h"

#include <QString>

#include <cstring>

namespace {

// Where the last character of the n UTF-8 bytes starts when it is cut short
// by their end; n when it is not.
std::size_t CutUtf8Tail(const unsigned char* s, std::size_t n)
{
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned b = s[n - back];
        if ((b & 0xC0) == 0x80)
            continue;  // a trail byte: the lead is further back
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? n - back : n;
    }
    return n;
}

UnicodeFileText FromUtf8(const char* bytes, std::size_t n, bool bCut)
{
    const void* nul = std::memchr(bytes, 0, n);
    const std::size_t end = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : n;
    std::size_t length = end;
    if (nul == nullptr && bCut)
        length = CutUtf8Tail(reinterpret_cast<const unsigned char*>(bytes), n);
    const QString text = QString::fromUtf8(bytes, static_cast<qsizetype>(length));
    const QByteArray out = cp932::EncodeFileText(text);
    return {std::string(out.constData(), static_cast<std::size_t>(out.size())), nul != nullptr};
}

UnicodeFileText FromUtf16(const char* bytes, std::size_t n, bool bigEndian, bool bCut)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    QString text;
    text.reserve(static_cast<qsizetype>(n / 2));
    bool endedAtNul = false;
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        const char16_t unit = bigEndian ? static_cast<char16_t>(s[i] << 8 | s[i + 1])
                                        : static_cast<char16_t>(s[i + 1] << 8 | s[i]);
        if (unit == 0) {
            endedAtNul = true;
            break;
        }
        text.append(QChar(unit));
    }
    // The first half of a pair whose second was cut off with the file.
    if (!endedAtNul && bCut && !text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    const QByteArray out = cp932::EncodeFileText(text);
    return {std::string(out.constData(), static_cast<std::size_t>(out.size())), endedAtNul};
}

}  // namespace

UnicodeFileText AfxUnicodeToCodePage932(const char* bytes, std::size_t n, UnicodeEncoding encoding,
                                        bool bCut)
{
    switch (encoding) {
    case UnicodeEncoding::Utf16Le:
        return FromUtf16(bytes, n, false, bCut);
    case UnicodeEncoding::Utf16Be:
        return FromUtf16(bytes, n, true, bCut);
    case UnicodeEncoding::Utf8:
        break;
    }
    return FromUtf8(bytes, n, bCut);
}

bool AfxIsCodePage932Text(const char* bytes, std::size_t n)
{
    return cp932::DecodesWhole(bytes, n);
}
