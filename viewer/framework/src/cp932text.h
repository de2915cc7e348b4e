// Code page 932 bytes to Unicode and back, losslessly.
//
// Decode(bytes) gives a QString from which Encode gives back exactly those
// bytes, for every byte string:
// - each byte or byte pair that code page 932 maps (ICU's "windows-31j")
//   becomes its Unicode character;
// - a code that decodes to the same character as another code (the NEC and
//   IBM extension duplicates) becomes that character followed by a variation
//   selector, VS17 (U+E0100) for the first such alternative, VS18 for the
//   second, and so on; the font draws the character, the selector keeps the
//   code;
// - a byte that starts no mapped code becomes a reserved code point,
//   U+F0000 + the byte (kReservedBase; plane 15, far from code page 932's own
//   user-defined characters at U+E000..U+E757), which the font draws as a
//   placeholder box; a 00 byte too, which a converted text may hold;
// - CR and LF are U+000D and U+000A, like any other ASCII byte.
//
// Encode stores the Linux forms of a few of the code page's characters (WAVE
// DASH U+301C for FULLWIDTH TILDE, and so on) as those characters' codes, as
// Windows' best-fit conversion does; any other character that code page 932
// can't hold becomes "?" (kUnmappable). The line separator U+2028
// (kLineInBlock) becomes CR LF: a widget may hold several CR LF lines in one
// block that way.
#ifndef RUVOK_CP932TEXT_H
#define RUVOK_CP932TEXT_H

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <vector>

namespace cp932 {

constexpr char32_t kReservedBase = 0xF0000;
constexpr char32_t kFirstSelector = 0xE0100;  // VS17
constexpr char kUnmappable = '?';
constexpr char16_t kLineInBlock = 0x2028;

QString Decode(const char* bytes, std::size_t n);

// Builds the code page's tables now (once a process; any thread), rather
// than at the first text.
void PrepareTables();
inline QString Decode(const QByteArray& bytes)
{
    return Decode(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Appends the bytes of text to out. Returns the number of characters that
// became "?".
std::size_t Encode(QStringView text, QByteArray& out);
inline QByteArray Encode(QStringView text)
{
    QByteArray out;
    Encode(text, out);
    return out;
}

// A text read from a Unicode file, as code page 932 with CR LF line ends (a
// bare LF becomes CR LF; CR LF and a lone CR stay): each character the code
// page lacks, a lone surrogate or a code point of the reserved range among
// them, becomes GETA MARK (kGeta); the Linux forms are stored as Encode
// stores them. Nothing here is taken for a byte kept losslessly: the file's
// characters are characters.
QByteArray EncodeFileText(QStringView text);
constexpr char kGeta[] = "\x81\xAC";

// Whether every byte of the n is a code page 932 character or part of one:
// no byte that decodes to nothing (kept as a reserved code point), no 00.
bool DecodesWhole(const char* bytes, std::size_t n);

// The bytes Encode would give, without building them.
std::size_t EncodedLength(QStringView text);

// The unit at text[i] (a character, with its selector if it has one): how
// many UTF-16 units it takes, and how many bytes it encodes to.
struct Unit {
    qsizetype units;
    std::size_t bytes;
};
Unit UnitAt(QStringView text, qsizetype i);

// Whether text reads back from its bytes as it is (no character would
// become "?" or the code page's own form).
bool IsStorable(QStringView text);
// text with every character code page 932 can't hold replaced by "?", and
// each Linux form by the code page's own, so that what is shown is what is
// stored.
QString MakeStorable(QStringView text);

// ---------------------------------------------------------------------------
// Text split into lines, for a widget that holds one block per line.

// None is no line end at all: a widget may hold one long line in several
// blocks, each going on in the next.
enum class LineEnd : unsigned char { CrLf, Cr, Lf, None };

// A line end that is not CR LF, by the number of the line it ends.
struct OddLineEnd {
    std::size_t line;
    LineEnd end;
};

struct Lines {
    QString text;                     // the lines, joined by '\n'
    std::vector<OddLineEnd> oddEnds;  // ascending by line
};

// Splits at CR LF, a lone CR and a lone LF (CR CR LF is a lone CR, then CR
// LF) and decodes each line. A text ending in a line end gives an empty last
// line.
Lines DecodeLines(const char* bytes, std::size_t n);

// The bytes of one line end.
inline const char* LineEndBytes(LineEnd end)
{
    switch (end) {
    case LineEnd::Cr:
        return "\r";
    case LineEnd::Lf:
        return "\n";
    case LineEnd::None:
        return "";
    case LineEnd::CrLf:
        break;
    }
    return "\r\n";
}

}  // namespace cp932

#endif
