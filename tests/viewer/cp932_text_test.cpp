// The code page 932 boundary: what the edit control's bytes look like as
// Unicode, and that every byte string comes back from it unchanged.
#include "cp932text.h"
#include "hex.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cstring>
#include <iterator>
#include <random>
#include <string>

namespace {

QString U(char32_t cp)
{
    return QString::fromUcs4(&cp, 1);
}

QByteArray B(const char* s)
{
    return QByteArray(s);
}

using viewtest::Hex;

struct DecodeRow {
    const char* bytes;
    QString text;
    const char* why;
};

TEST(Cp932Text, DecodesToTheCharactersShown)
{
    const QString vs17 = U(cp932::kFirstSelector);
    const QString vs18 = U(cp932::kFirstSelector + 1);
    const DecodeRow rows[] = {
        {"A\\~", QStringLiteral("A\\~"), "the lower half is ASCII"},
        {"\x1A\x1C\x7F", U(0x1A) + U(0x1C) + U(0x7F), "control codes stay themselves"},
        {"\x82\xA0\x8A\xBF", QStringLiteral("あ漢"), "JIS X 0208 pairs"},
        {"\xB1\xDF", QStringLiteral("ｱﾟ"), "half-width katakana are single bytes"},
        {"\x87\x40", QStringLiteral("①"), "NEC row 13, the only code of its character"},
        {"\xF0\x40", U(0xE000), "user-defined area"},
        {"\xFA\x5C", QStringLiteral("纊"), "IBM extension: the code the character goes back to"},
        {"\xED\x40", QStringLiteral("纊") + vs17, "NEC-selected IBM duplicate"},
        {"\x81\xBF", QStringLiteral("∩"), "JIS X 0208 intersection"},
        {"\x87\x9B", QStringLiteral("∩") + vs17, "its NEC row 13 duplicate"},
        {"\x81\xCA", QStringLiteral("￢"), "not sign"},
        {"\xEE\xF9", QStringLiteral("￢") + vs17, "first duplicate of not sign"},
        {"\xFA\x54", QStringLiteral("￢") + vs18, "second duplicate of not sign"},
        {"\x80", U(cp932::kReservedBase + 0x80), "0x80 maps to nothing"},
        {"\xA0\xFD\xFF", U(cp932::kReservedBase + 0xA0) + U(cp932::kReservedBase + 0xFD) +
                             U(cp932::kReservedBase + 0xFF),
         "nor do 0xA0 and 0xFD..0xFF"},
        {"\x85\x40", U(cp932::kReservedBase + 0x85) + QStringLiteral("@"),
         "an unassigned pair: the lead alone, then its partner"},
        {"\x81\n", U(cp932::kReservedBase + 0x81) + QStringLiteral("\n"),
         "LF as the partner of a lead byte"},
        {"\x82", U(cp932::kReservedBase + 0x82), "a lead byte at the end"},
        {"\r\n\r", QStringLiteral("\r\n\r"), "CR and LF are plain characters here"},
    };
    for (const DecodeRow& row : rows) {
        EXPECT_EQ(cp932::Decode(B(row.bytes)), row.text) << row.why;
        EXPECT_EQ(cp932::Encode(row.text), B(row.bytes)) << row.why;
    }
}

TEST(Cp932Text, EveryByteAndPairRoundTrips)
{
    for (int a = 1; a < 256; ++a) {
        const QByteArray one(1, static_cast<char>(a));
        ASSERT_EQ(cp932::Encode(cp932::Decode(one)), one) << Hex(one);
        for (int b = 1; b < 256; ++b) {
            QByteArray two = one;
            two.append(static_cast<char>(b));
            const QString text = cp932::Decode(two);
            ASSERT_EQ(cp932::Encode(text), two) << Hex(two);
            ASSERT_EQ(cp932::EncodedLength(text), 2u) << Hex(two);
            ASSERT_TRUE(cp932::IsStorable(text)) << Hex(two);
        }
    }
}

// Bytes drawn to hit the awkward places: lead bytes, their partners, line
// ends, duplicates, bytes that map to nothing.
QByteArray RandomText(std::mt19937& rng, int maxLen)
{
    static const char* const pieces[] = {
        "\r", "\n", "\r\n", "\r\r\n", "\x81", "\x82\xA0", "\xED\x40", "\xFA\x54", "\xEE\xF9",
        "\x87\x9B", "\x80", "\xA0", "\xFF", "\xB1", "\x1B$B", "\x8E", "\xF0\x40", "a", " ",
    };
    std::uniform_int_distribution<int> len(0, maxLen);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> piece(0, static_cast<int>(std::size(pieces)) - 1);
    QByteArray out;
    const int n = len(rng);
    while (out.size() < n) {
        if (kind(rng) == 0)
            out.append(pieces[piece(rng)]);
        else
            out.append(static_cast<char>(byte(rng)));
    }
    return out;
}

TEST(Cp932Text, RandomTextsRoundTrip)
{
    std::mt19937 rng(932);
    for (int i = 0; i < 20000; ++i) {
        const QByteArray bytes = RandomText(rng, 64);
        const QString text = cp932::Decode(bytes);
        ASSERT_EQ(cp932::Encode(text), bytes) << Hex(bytes);
        ASSERT_EQ(cp932::EncodedLength(text), static_cast<std::size_t>(bytes.size())) << Hex(bytes);
        ASSERT_EQ(cp932::MakeStorable(text), text) << Hex(bytes);
    }
}

// The lines and their ends put back together give the bytes again.
QByteArray Join(const cp932::Lines& lines)
{
    QByteArray out;
    const QStringList parts = lines.text.split(QLatin1Char('\n'));
    auto odd = lines.oddEnds.begin();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        cp932::Encode(parts[i], out);
        if (i + 1 == parts.size())
            break;
        cp932::LineEnd end = cp932::LineEnd::CrLf;
        if (odd != lines.oddEnds.end() && odd->line == static_cast<std::size_t>(i)) {
            end = odd->end;
            ++odd;
        }
        out.append(cp932::LineEndBytes(end));
    }
    return out;
}

TEST(Cp932Text, LinesKeepEachKindOfLineEnd)
{
    using cp932::LineEnd;
    struct Row {
        const char* bytes;
        const char* text;
        std::vector<std::pair<std::size_t, LineEnd>> odd;
        const char* why;
    };
    const Row rows[] = {
        {"a\r\nb", "a\nb", {}, "CR LF is the usual end"},
        {"a\rb", "a\nb", {{0, LineEnd::Cr}}, "a lone CR ends a line"},
        {"a\nb", "a\nb", {{0, LineEnd::Lf}}, "a lone LF ends a line"},
        {"a\r\r\nb", "a\n\nb", {{0, LineEnd::Cr}}, "CR CR LF: a lone CR, then CR LF"},
        {"a\n\r", "a\n\n", {{0, LineEnd::Lf}, {1, LineEnd::Cr}}, "LF CR is two ends"},
        {"a\r\n", "a\n", {}, "an end at the end gives an empty last line"},
        {"", "", {}, "nothing"},
    };
    for (const Row& row : rows) {
        const cp932::Lines lines = cp932::DecodeLines(row.bytes, std::strlen(row.bytes));
        EXPECT_EQ(lines.text, QString::fromLatin1(row.text)) << row.why;
        ASSERT_EQ(lines.oddEnds.size(), row.odd.size()) << row.why;
        for (std::size_t i = 0; i < row.odd.size(); ++i) {
            EXPECT_EQ(lines.oddEnds[i].line, row.odd[i].first) << row.why;
            EXPECT_EQ(lines.oddEnds[i].end, row.odd[i].second) << row.why;
        }
        EXPECT_EQ(Join(lines), B(row.bytes)) << row.why;
    }
    const cp932::Lines partner = cp932::DecodeLines("\x81\n", 2);
    EXPECT_EQ(partner.text, U(cp932::kReservedBase + 0x81) + QStringLiteral("\n"))
        << "a lead byte before LF stays a byte of its own";
}

TEST(Cp932Text, RandomTextsRoundTripAsLines)
{
    std::mt19937 rng(31);
    for (int i = 0; i < 20000; ++i) {
        const QByteArray bytes = RandomText(rng, 64);
        const cp932::Lines lines =
            cp932::DecodeLines(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        ASSERT_FALSE(lines.text.contains(QLatin1Char('\r'))) << Hex(bytes);
        ASSERT_EQ(Join(lines), bytes) << Hex(bytes);
    }
}

// Texts that take more UTF-16 units than bytes (every byte a reserved code
// point, every pair a character and its selector), short and long, decode
// whole and back.
TEST(Cp932Text, TextsLongerDecodedThanStoredRoundTrip)
{
    struct Row {
        const char* unit;
        qsizetype unitsEach;
        const char* why;
    };
    const Row rows[] = {
        {"\x85", 2, "a byte that starts no code"},
        {"\x87\x90", 3, "a duplicate code: character and selector"},
        {"\x85\r\n", 4, "reserved bytes on lines of their own"},
    };
    for (const Row& row : rows) {
        for (int count : {1, 7, 8, 9, 100, 70000}) {
            QByteArray bytes;
            for (int i = 0; i < count; ++i)
                bytes += row.unit;
            const QString text = cp932::Decode(bytes);
            EXPECT_EQ(cp932::Encode(text), bytes) << row.why << " x" << count;
            EXPECT_EQ(text.size(), row.unitsEach * count) << row.why << " x" << count;
            const cp932::Lines lines =
                cp932::DecodeLines(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            EXPECT_EQ(Join(lines), bytes) << row.why << " x" << count;
        }
    }
}

TEST(Cp932Text, CharactersCodePage932CantHoldBecomeQuestionMarks)
{
    const char16_t lone[] = {0xD800};
    const struct {
        QString text;
        const char* bytes;
        const char* why;
    } rows[] = {
        {QStringLiteral("a€b"), "a?b", "euro sign"},
        {QStringLiteral("😀"), "?", "a supplementary character is one ?"},
        {QString::fromUtf16(lone, 1), "?", "a lone surrogate"},
        {U(cp932::kFirstSelector), "?", "a selector without its character"},
        {QStringLiteral("a") + U(cp932::kFirstSelector), "a?", "a selector after a character without duplicates"},
        {U(cp932::kReservedBase + 0x41), "?", "the reserved form of a byte that is a character of its own"},
        {U(cp932::kReservedBase + 0x80), "\x80", "the reserved form of a byte that is not"},
        {QStringLiteral("é"), "?", "Latin-1 letters are not in code page 932"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(cp932::Encode(row.text), B(row.bytes)) << row.why;
        EXPECT_EQ(cp932::Decode(B(row.bytes)), cp932::MakeStorable(row.text)) << row.why;
        EXPECT_EQ(cp932::IsStorable(row.text), cp932::MakeStorable(row.text) == row.text) << row.why;
    }
    EXPECT_FALSE(cp932::IsStorable(QStringLiteral("€")));
    EXPECT_TRUE(cp932::IsStorable(QStringLiteral("漢字ｶﾅ")));
}

// A converted text may hold 00 bytes (a malformed pair can convert to one):
// each is kept as its reserved form and stored back as 00.
TEST(Cp932Text, A00ByteIsKeptLikeAByteTheCodePageCantShow)
{
    const QString nul = U(cp932::kReservedBase);
    const struct {
        QByteArray bytes;
        QString text;
        const char* why;
    } rows[] = {
        {QByteArray(1, '\0'), nul, "a 00 byte alone"},
        {QByteArray("a\0b", 3), QStringLiteral("a") + nul + QStringLiteral("b"), "inside a text"},
        {QByteArray("\x81\0", 2), U(cp932::kReservedBase + 0x81) + nul,
         "after a lead byte: no pair, two bytes of their own"},
        {QByteArray("\x82\xB1\x81\0" "abc", 7), QStringLiteral("こ") + U(cp932::kReservedBase + 0x81) + nul +
                                              QStringLiteral("abc"),
         "what EUC-JP A1 60 converts to, between characters"},
        {QByteArray("\0\0", 2), nul + nul, "two in a row"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(cp932::Decode(row.bytes), row.text) << row.why;
        EXPECT_EQ(Hex(cp932::Encode(row.text)), Hex(row.bytes)) << row.why;
        EXPECT_EQ(cp932::EncodedLength(row.text), static_cast<std::size_t>(row.bytes.size())) << row.why;
        EXPECT_TRUE(cp932::IsStorable(row.text)) << row.why;
    }
    // A character U+0000 is no byte text of the code page's: it stays "?".
    EXPECT_EQ(cp932::Encode(QString(QChar(0))), B("?"));
}

TEST(Cp932Text, RandomTextsWith00BytesRoundTrip)
{
    std::mt19937 rng(0);
    std::uniform_int_distribution<int> where(0, 63);
    for (int i = 0; i < 20000; ++i) {
        QByteArray bytes = RandomText(rng, 64);
        for (int k = where(rng) % 4; k > 0 && !bytes.isEmpty(); --k)
            bytes[where(rng) % bytes.size()] = '\0';
        const QString text = cp932::Decode(bytes);
        ASSERT_EQ(cp932::Encode(text), bytes) << Hex(bytes);
        ASSERT_EQ(cp932::EncodedLength(text), static_cast<std::size_t>(bytes.size())) << Hex(bytes);
        const cp932::Lines lines =
            cp932::DecodeLines(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        ASSERT_EQ(Join(lines), bytes) << Hex(bytes);
    }
}

// The forms Linux tools give some of code page 932's characters: each is
// stored as the code Windows' best-fit conversion gives it, and shown as the
// character that code reads back as, so what is shown is what is stored.
struct BestFitRow {
    char16_t linux;
    const char* bytes;
    char16_t shown;
    const char* why;
};
const BestFitRow kBestFitRows[] = {
    {0x301C, "\x81\x60", 0xFF5E, "WAVE DASH: FULLWIDTH TILDE"},
    {0x2016, "\x81\x61", 0x2225, "DOUBLE VERTICAL LINE: PARALLEL TO"},
    {0x2212, "\x81\x7C", 0xFF0D, "MINUS SIGN: FULLWIDTH HYPHEN-MINUS"},
    {0x00A2, "\x81\x91", 0xFFE0, "CENT SIGN: FULLWIDTH CENT SIGN"},
    {0x00A3, "\x81\x92", 0xFFE1, "POUND SIGN: FULLWIDTH POUND SIGN"},
    {0x00AC, "\x81\xCA", 0xFFE2, "NOT SIGN: FULLWIDTH NOT SIGN"},
    {0x2014, "\x81\x5C", 0x2015, "EM DASH: HORIZONTAL BAR"},
    {0x00A6, "\xFA\x55", 0xFFE4, "BROKEN BAR: FULLWIDTH BROKEN BAR"},
};

TEST(Cp932Text, LinuxFormsAreStoredAsTheCodePagesCharacters)
{
    for (const BestFitRow& row : kBestFitRows) {
        const QString linux(QChar(row.linux));
        const QString shown(QChar(row.shown));
        EXPECT_EQ(Hex(cp932::Encode(linux)), Hex(B(row.bytes))) << row.why;
        EXPECT_EQ(cp932::EncodedLength(linux), 2u) << row.why;
        EXPECT_EQ(cp932::Decode(B(row.bytes)), shown) << row.why << ": decoding is unchanged";
        EXPECT_EQ(Hex(cp932::Encode(shown)), Hex(B(row.bytes))) << row.why << ": as is the code page's own form";
        EXPECT_EQ(cp932::MakeStorable(linux), shown) << row.why;
        EXPECT_FALSE(cp932::IsStorable(linux)) << row.why << ": it would not read back as itself";
        EXPECT_TRUE(cp932::IsStorable(shown)) << row.why;
        const QString inText = QStringLiteral("1") + linux + QStringLiteral("2");
        EXPECT_EQ(Hex(cp932::Encode(inText)), Hex(B("1") + B(row.bytes) + B("2"))) << row.why;
    }
    EXPECT_EQ(Hex(cp932::Encode(QStringLiteral("10〜20"))), Hex(B("10\x81\x60" "20")));
    EXPECT_EQ(cp932::Encode(QStringLiteral("€")), B("?")) << "still nothing for a character without a form";
}

TEST(Cp932Text, RandomTextsWithLinuxFormsStoreAsShown)
{
    // Whole characters, so that no two pieces join into another code.
    const QString others[] = {
        QStringLiteral("a"), QStringLiteral("漢"), QStringLiteral("ｶ"), QStringLiteral("\r\n"),
        QStringLiteral("～"), QStringLiteral("￢"), QStringLiteral("纊") + U(cp932::kFirstSelector),
        U(cp932::kReservedBase + 0x80), U(cp932::kReservedBase), QStringLiteral("€"),
    };
    std::mt19937 rng(301);
    std::uniform_int_distribution<int> pick(
        0, static_cast<int>(std::size(kBestFitRows) + std::size(others)) - 1);
    for (int i = 0; i < 5000; ++i) {
        QString text;
        for (int k = 0; k < 12; ++k) {
            const auto p = static_cast<std::size_t>(pick(rng));
            if (p < std::size(kBestFitRows))
                text.append(QChar(kBestFitRows[p].linux));
            else
                text.append(others[p - std::size(kBestFitRows)]);
        }
        const QByteArray bytes = cp932::Encode(text);
        const QString shown = cp932::MakeStorable(text);
        ASSERT_EQ(cp932::Encode(shown), bytes) << Hex(bytes);
        ASSERT_EQ(cp932::Decode(bytes), shown) << Hex(bytes);
        ASSERT_EQ(cp932::EncodedLength(text), static_cast<std::size_t>(bytes.size())) << Hex(bytes);
        ASSERT_TRUE(cp932::IsStorable(shown)) << Hex(bytes);
    }
}

}  // namespace
