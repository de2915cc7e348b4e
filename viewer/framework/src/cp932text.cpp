// Code page 932 bytes to Unicode and back (see cp932text.h), over the plain
// tables of cp932tables.cpp.
#include "cp932text.h"

#include "cp932tables.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>

namespace cp932 {

void PrepareTables()
{
    GetTables();
}

namespace {

// Text written straight into a QString's buffer: at most three UTF-16 units
// a step (a character and its selector), room made beforehand. The string
// has its true length only once the writer is gone: end its scope before the
// string is used or returned.
class Writer {
public:
    Writer(QString& str, std::size_t expected) : m_str(str)
    {
        const qsizetype used = str.size();
        str.resize(used + static_cast<qsizetype>(expected) + 16);
        m_p = str.data() + used;
        m_end = str.data() + str.size();
    }
    ~Writer() { m_str.resize(m_p - m_str.data()); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void MakeRoom()
    {
        if (m_end - m_p >= 3)
            return;
        const qsizetype used = m_p - m_str.data();
        m_str.resize(m_str.size() * 2);
        m_p = m_str.data() + used;
        m_end = m_str.data() + m_str.size();
    }
    void Put(char16_t c) { *m_p++ = QChar(c); }
    void PutCodePoint(char32_t cp)
    {
        if (cp < 0x10000) {
            Put(static_cast<char16_t>(cp));
        } else {
            Put(QChar::highSurrogate(cp));
            Put(QChar::lowSurrogate(cp));
        }
    }

private:
    QString& m_str;
    QChar* m_p;
    QChar* m_end;
};

// Decodes bytes [i, n) as far as the next CR or LF (or all of them when
// stopAtLineEnd is false) and returns where it stopped.
std::size_t DecodeRun(const Tables& t, const unsigned char* s, std::size_t i, std::size_t n,
                      bool stopAtLineEnd, Writer& out)
{
    while (i < n) {
        const unsigned b = s[i];
        if (stopAtLineEnd && (b == '\r' || b == '\n'))
            break;
        out.MakeRoom();
        if (t.leadByte[b] && i + 1 < n) {
            const unsigned v = b << 8 | s[i + 1];
            if (t.pair[v] != kNoChar) {
                out.Put(t.pair[v]);
                if (t.pairSelector[v] != 0)
                    out.PutCodePoint(kFirstSelector + t.pairSelector[v] - 1);
                i += 2;
                continue;
            }
        }
        if (t.single[b] != kNoChar) {
            out.Put(t.single[b]);
            if (t.singleSelector[b] != 0)
                out.PutCodePoint(kFirstSelector + t.singleSelector[b] - 1);
        } else {
            out.PutCodePoint(kReservedBase + b);
        }
        ++i;
    }
    return i;
}

// The code of the character at text[i] (and of a selector after it), and
// how many UTF-16 units that took. 00 is a code too (a converted text may
// hold it); kCantHold, which no code page 932 code is, marks a character
// the code page can't hold.
constexpr std::uint16_t kCantHold = 0xFFFF;

struct Code {
    std::uint16_t code;
    qsizetype units;
    bool single;  // a reserved single byte, or a code below 0x100
    bool bestFit = false;  // stored as a code that decodes to another character
};

Code NextUnit(const Tables& t, QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    const qsizetype n = text.size();
    if (c == kLineInBlock)
        return {0x0D0A, 1, false};  // CR LF, as a pair of bytes
    if (QChar::isHighSurrogate(c)) {
        if (i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            const char32_t cp = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            if (cp >= kReservedBase && cp < kReservedBase + 0x100) {
                const unsigned b = static_cast<unsigned>(cp - kReservedBase);
                // Only a byte that decodes to nothing of its own is kept
                // this way (00 included: a converted text may hold one);
                // anything else would show one thing and store another.
                if (t.single[b] == kNoChar)
                    return {static_cast<std::uint16_t>(b), 2, true};
            }
            return {kCantHold, 2, true};
        }
        return {kCantHold, 1, true};
    }
    if (QChar::isLowSurrogate(c) || c == 0)
        return {kCantHold, 1, true};
    // A duplicate: the character, then its selector.
    if (i + 2 < n && text[i + 1].unicode() == QChar::highSurrogate(kFirstSelector)) {
        const char16_t lo = text[i + 2].unicode();
        if (QChar::isLowSurrogate(lo)) {
            const char32_t sel = QChar::surrogateToUcs4(text[i + 1].unicode(), lo);
            if (sel >= kFirstSelector && sel < kFirstSelector + kMaxSelectors) {
                auto it = t.duplicateCode.find({c, static_cast<unsigned>(sel - kFirstSelector)});
                if (it != t.duplicateCode.end())
                    return {it->second, 3, it->second < 0x100};
            }
        }
    }
    const std::uint16_t code = t.code[c];
    if (code == 0)
        return {kCantHold, 1, true};
    return {code, 1, code < 0x100, t.bestFit[c]};
}

}  // namespace

QString Decode(const char* bytes, std::size_t n)
{
    if (n == 0)
        return QString();  // no tables needed (an empty document at start)
    const Tables& t = GetTables();
    QString out;
    {
        Writer writer(out, n);
        DecodeRun(t, reinterpret_cast<const unsigned char*>(bytes), 0, n, false, writer);
    }
    return out;
}

std::size_t Encode(QStringView text, QByteArray& out)
{
    const Tables& t = GetTables();
    std::size_t unmapped = 0;
    out.reserve(out.size() + text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        const Code u = NextUnit(t, text, i);
        i += u.units;
        if (u.code == kCantHold) {
            out.append(kUnmappable);
            ++unmapped;
        } else if (u.single) {
            out.append(static_cast<char>(u.code));
        } else {
            out.append(static_cast<char>(u.code >> 8));
            out.append(static_cast<char>(u.code & 0xFF));
        }
    }
    return unmapped;
}

QByteArray EncodeFileText(QStringView text)
{
    const Tables& t = GetTables();
    QByteArray out;
    out.reserve(text.size() * 2);
    const qsizetype n = text.size();
    char16_t previous = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        std::uint16_t code = 0;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;  // the code page has nothing outside the first plane
        } else if (c == u'\n') {
            if (previous != u'\r')
                out.append('\r');
            code = '\n';
        } else if (!QChar::isSurrogate(c) && c != 0) {
            code = t.code[c];
        }
        previous = c;
        if (code == 0) {
            out.append(kGeta, 2);
        } else if (code < 0x100) {
            out.append(static_cast<char>(code));
        } else {
            out.append(static_cast<char>(code >> 8));
            out.append(static_cast<char>(code & 0xFF));
        }
    }
    return out;
}

bool DecodesWhole(const char* bytes, std::size_t n)
{
    const Tables& t = GetTables();
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < n;) {
        const unsigned b = s[i];
        if (b < 0x80 && b != 0) {
            ++i;
            continue;
        }
        if (t.leadByte[b] && i + 1 < n && t.pair[b << 8 | s[i + 1]] != kNoChar) {
            i += 2;
            continue;
        }
        if (t.single[b] == kNoChar)
            return false;
        ++i;
    }
    return true;
}

std::size_t EncodedLength(QStringView text)
{
    const Tables& t = GetTables();
    std::size_t len = 0;
    for (qsizetype i = 0; i < text.size();) {
        const Code u = NextUnit(t, text, i);
        i += u.units;
        len += (u.code == kCantHold || u.single) ? 1 : 2;
    }
    return len;
}

Unit UnitAt(QStringView text, qsizetype i)
{
    const Code u = NextUnit(GetTables(), text, i);
    return {u.units, (u.code == kCantHold || u.single) ? std::size_t{1} : std::size_t{2}};
}

bool IsStorable(QStringView text)
{
    const Tables& t = GetTables();
    for (qsizetype i = 0; i < text.size();) {
        const Code u = NextUnit(t, text, i);
        if (u.code == kCantHold || u.bestFit)
            return false;
        i += u.units;
    }
    return true;
}

QString MakeStorable(QStringView text)
{
    const Tables& t = GetTables();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const Code u = NextUnit(t, text, i);
        if (u.code == kCantHold) {
            out.append(QLatin1Char(kUnmappable));
        } else if (u.bestFit) {
            // Shown as the character its code reads back as.
            const char two[2] = {static_cast<char>(u.code >> 8), static_cast<char>(u.code & 0xFF)};
            Writer writer(out, 2);
            DecodeRun(t, reinterpret_cast<const unsigned char*>(two), 0, 2, false, writer);
        } else {
            out.append(text.mid(i, u.units));
        }
        i += u.units;
    }
    return out;
}

Lines DecodeLines(const char* bytes, std::size_t n)
{
    if (n == 0)
        return Lines();  // no tables needed (an empty document at start)
    const Tables& t = GetTables();
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    Lines lines;
    {
        // done with the text before it is returned
        Writer writer(lines.text, n);
        std::size_t line = 0;
        std::size_t i = 0;
        for (;;) {
            i = DecodeRun(t, s, i, n, true, writer);
            if (i >= n)
                break;
            LineEnd end = LineEnd::Lf;
            if (s[i] == '\r') {
                if (i + 1 < n && s[i + 1] == '\n') {
                    end = LineEnd::CrLf;
                    ++i;
                } else {
                    end = LineEnd::Cr;
                }
            }
            ++i;
            if (end != LineEnd::CrLf)
                lines.oddEnds.push_back({line, end});
            writer.MakeRoom();
            writer.Put(u'\n');
            ++line;
        }
    }
    return lines;
}

}  // namespace cp932
