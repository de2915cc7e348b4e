// Code page 932 bytes to Unicode and back (see cp932text.h), from ICU's
// mapping kept as plain tables.
#include "cp932text.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>

namespace cp932 {
namespace {

constexpr char16_t kNoChar = 0;
constexpr unsigned kMaxSelectors = 16;

// The forms Linux tools give some of code page 932's characters, and the
// code Windows' best-fit conversion stores each as. Decoding gives the code
// page's own character, so a text read and written again keeps its bytes.
struct BestFit {
    char16_t ch;
    std::uint16_t code;
};
constexpr BestFit kBestFit[] = {
    {0x301C, 0x8160},  // WAVE DASH
    {0x2016, 0x8161},  // DOUBLE VERTICAL LINE
    {0x2212, 0x817C},  // MINUS SIGN
    {0x00A2, 0x8191},  // CENT SIGN
    {0x00A3, 0x8192},  // POUND SIGN
    {0x00AC, 0x81CA},  // NOT SIGN
    {0x2014, 0x815C},  // EM DASH
    {0x00A6, 0xFA55},  // BROKEN BAR
};

// The code page's mapping, asked of ICU once per process and kept as plain
// arrays: one lookup a byte or pair on either road.
struct Tables {
    // Decoding: the character of each single byte and pair (0: none), and
    // for a duplicate code the number of its variation selector plus one.
    std::array<char16_t, 256> single{};
    std::array<std::uint8_t, 256> singleSelector{};
    std::array<bool, 256> leadByte{};
    std::vector<char16_t> pair = std::vector<char16_t>(65536, kNoChar);
    std::vector<std::uint8_t> pairSelector = std::vector<std::uint8_t>(65536, 0);

    // Encoding: the code of each character (0: none; a single byte b is
    // stored as b, a pair as lead << 8 | trail), and of each duplicate by
    // character and selector.
    std::vector<std::uint16_t> code = std::vector<std::uint16_t>(65536, 0);
    std::map<std::pair<char16_t, unsigned>, std::uint16_t> duplicateCode;
    // Characters that are not code page 932's own but are stored as one of
    // its codes (see kBestFit).
    std::vector<bool> bestFit = std::vector<bool>(65536, false);

    Tables();
};

// The code ICU gives a character back as, or 0.
std::uint16_t AskIcuBack(UConverter* conv, char16_t ch)
{
    UErrorCode err = U_ZERO_ERROR;
    ucnv_reset(conv);
    char out[8];
    const UChar in[1] = {static_cast<UChar>(ch)};
    const int len = ucnv_fromUChars(conv, out, sizeof out, in, 1, &err);
    if (U_FAILURE(err))
        return 0;
    if (len == 1)
        return static_cast<unsigned char>(out[0]);
    if (len == 2)
        return static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                          static_cast<unsigned char>(out[1]));
    return 0;
}

// Every candidate code (each upper-half byte, each pair of a byte that is
// not a character of its own with a trail byte) asked of ICU in one
// conversion: the codes one after the other, each followed by LF, which no
// code takes as its trail byte, so that a code ICU refuses (skipped) never
// takes the next one with it. A code maps to a character when exactly one
// UTF-16 unit, not a surrogate and not 0, comes from its first byte.
void AskIcuAll(UConverter* conv, const std::vector<std::uint16_t>& codes,
               std::vector<char16_t>& chars)
{
    chars.assign(codes.size(), kNoChar);
    std::vector<char> in;
    std::vector<std::int32_t> start;  // where each code's bytes begin
    in.reserve(codes.size() * 3);
    start.reserve(codes.size());
    for (std::uint16_t c : codes) {
        start.push_back(static_cast<std::int32_t>(in.size()));
        if (c >= 0x100)
            in.push_back(static_cast<char>(c >> 8));
        in.push_back(static_cast<char>(c & 0xFF));
        in.push_back('\n');
    }
    std::vector<UChar> out(in.size());
    std::vector<std::int32_t> offsets(in.size());
    UErrorCode err = U_ZERO_ERROR;
    ucnv_reset(conv);
    ucnv_setToUCallBack(conv, UCNV_TO_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &err);
    const char* source = in.data();
    UChar* target = out.data();
    ucnv_toUnicode(conv, &target, out.data() + out.size(), &source, in.data() + in.size(),
                   offsets.data(), true, &err);
    if (U_FAILURE(err))
        return;
    const std::size_t produced = static_cast<std::size_t>(target - out.data());
    // the units by the offset of the byte they came from
    std::size_t k = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        while (k < produced && offsets[k] < start[i])
            ++k;
        std::size_t units = 0;
        while (k + units < produced && offsets[k + units] == start[i])
            ++units;
        if (units == 1) {
            const char16_t ch = static_cast<char16_t>(out[k]);
            if (ch != 0 && (ch < 0xD800 || ch >= 0xE000))
                chars[i] = ch;
        }
    }
}

Tables::Tables()
{
    UErrorCode err = U_ZERO_ERROR;
    std::unique_ptr<UConverter, void (*)(UConverter*)> conv(ucnv_open("windows-31j", &err),
                                                             &ucnv_close);
    if (U_FAILURE(err) || !conv)
        return;  // every byte then decodes to its reserved code point
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &err);
    ucnv_setFallback(conv.get(), false);

    // The lower half is ASCII, as Windows has it: ICU's table for this code
    // page swaps some control codes (0x1A, 0x1C, 0x7F) the IBM way, which
    // would change them on the clipboard.
    for (unsigned b = 1; b < 0x80; ++b)
        single[b] = static_cast<char16_t>(b);
    std::vector<std::uint16_t> codes;
    std::vector<char16_t> chars;
    for (unsigned b = 0x80; b < 0x100; ++b)
        codes.push_back(static_cast<std::uint16_t>(b));
    AskIcuAll(conv.get(), codes, chars);
    for (std::size_t i = 0; i < codes.size(); ++i)
        single[codes[i]] = chars[i];

    codes.clear();
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        if (single[lead] != kNoChar)
            continue;
        for (unsigned trail = 0x40; trail < 0x100; ++trail)
            codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
    }
    AskIcuAll(conv.get(), codes, chars);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (chars[i] == kNoChar)
            continue;
        pair[codes[i]] = chars[i];
        leadByte[codes[i] >> 8] = true;
    }

    // Each character's codes in code order (single bytes first): the first
    // becomes its code, unless it has more, which are sorted out below.
    for (unsigned b = 1; b < 0x80; ++b)
        code[b] = static_cast<std::uint16_t>(b);
    std::vector<std::pair<char16_t, std::uint16_t>> shared;  // characters with several codes
    auto take = [&](char16_t ch, std::uint16_t c) {
        if (ch < 0x80)
            return;  // ASCII stays a single byte
        if (code[ch] == 0)
            code[ch] = c;
        else
            shared.emplace_back(ch, c);
    };
    for (unsigned b = 0x80; b < 0x100; ++b) {
        if (single[b] != kNoChar)
            take(single[b], static_cast<std::uint16_t>(b));
    }
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (chars[i] != kNoChar)
            take(chars[i], codes[i]);
    }
    // with the first code of each too, then by character, each in code
    // order
    const std::size_t later = shared.size();
    for (std::size_t i = 0; i < later; ++i)
        shared.emplace_back(shared[i].first, code[shared[i].first]);
    std::sort(shared.begin(), shared.end());
    shared.erase(std::unique(shared.begin(), shared.end()), shared.end());
    for (std::size_t i = 0; i < shared.size();) {
        const char16_t ch = shared[i].first;
        std::size_t end = i;
        while (end < shared.size() && shared[end].first == ch)
            ++end;
        // The code ICU gives the character back as is its own; the others
        // are duplicates, numbered in code order.
        const std::uint16_t back = AskIcuBack(conv.get(), ch);
        std::uint16_t primary = shared[i].second;
        for (std::size_t j = i; j < end; ++j) {
            if (shared[j].second == back)
                primary = back;
        }
        code[ch] = primary;
        unsigned next = 0;
        for (std::size_t j = i; j < end; ++j) {
            const std::uint16_t c = shared[j].second;
            if (c == primary)
                continue;
            if (next == kMaxSelectors) {
                // Not reached with code page 932; such a code would decode
                // to its reserved form byte by byte.
                if (c < 0x100)
                    single[c] = kNoChar;
                else
                    pair[c] = kNoChar;
                continue;
            }
            ++next;
            if (c < 0x100)
                singleSelector[c] = static_cast<std::uint8_t>(next);
            else
                pairSelector[c] = static_cast<std::uint8_t>(next);
            duplicateCode[{ch, next - 1}] = c;
        }
        i = end;
    }
    for (const BestFit& fit : kBestFit) {
        if (code[fit.ch] != 0)
            continue;  // the code page has the character itself
        code[fit.ch] = fit.code;
        bestFit[fit.ch] = true;
    }
}

const Tables& GetTables()
{
    static const Tables tables;
    return tables;
}

}  // namespace

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
