// The worked examples of detection and conversion, one row a case. Every row
// goes through the fast and the plain routines, through ConvertToSjis and the
// converter that the detected code selects, with the input flush against a
// guard page and the output checked for its 2n+1 bound (ContractChecker).
#include <cstring>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "conv_test_support.h"
#include "kanjicode.h"
#include "kanjicode_plain.h"
#include "kanjicode_length.h"

namespace convtest {
namespace {

struct DetectRow {
    const char* input;
    int code;
    const char* reason;
};

const DetectRow kDetectRows[] = {
    {"", KC_SJIS, "the terminator comes first"},
    {"48 65 6C 6C 6F", KC_SJIS, "plain ASCII decides nothing"},
    {"1B 24 42 30 21 1B 28 42", KC_JIS, "ESC followed by 0x24"},
    {"1B 24 28 44", KC_JIS, "ESC 0x24, whatever follows"},
    {"61 62 63 1B 28 4A", KC_JIS, "ESC 0x28 'J' after ASCII"},
    {"1B 28 3F", KC_JIS, "ESC 0x28 '?'"},
    {"1B 28 49", KC_SJIS, "ESC 0x28 'I' decides nothing; the end is reached"},
    {"1B 28 58 61 B0 A1", KC_EUC, "the unrecognised escape decides nothing; 0xB0 decides"},
    {"1B", KC_SJIS, "an ESC right before the terminator"},
    {"88 9F", KC_SJIS, "0x88 lies in 0x80 to 0x9F"},
    {"8E B1", KC_SJIS, "0x8E lies in 0x80 to 0x9F"},
    {"B0 A1", KC_EUC, "0xB0 lies in 0xA0 to 0xDF"},
    {"B1", KC_EUC, "a lone byte from 0xA0 to 0xDF"},
    {"E0 40", KC_SJIS, "0xE0 pending, and 0x40 is below 0xA0"},
    {"E0 A1", KC_SJIS, "the pair is skipped, then the end is reached"},
    {"E0", KC_SJIS, "the end is reached with a byte pending"},
    {"E0 A1 B0 A1", KC_EUC, "the pair is skipped, then 0xB0 decides"},
    {"E0 E0 B0", KC_EUC,
     "the second 0xE0 is the first one's partner, not a new lead byte, so 0xB0 is read "
     "with nothing pending"},
    {"E0 1B 24 42", KC_SJIS,
     "the ESC is the pending byte's partner and lies below 0xA0; the escape sequence is "
     "never examined"},
    {"B0 A1 1B 24 42", KC_EUC, "the first deciding byte wins"},
    {"41 0A 88 9F", KC_SJIS, "ASCII and LF decide nothing; 0x88 decides"},
    // Around the escape test: it reads the third byte only after '(' and
    // stops at the terminator.
    {"1B 28", KC_SJIS, "ESC ( right before the terminator decides nothing"},
    {"1B 28 42", KC_JIS, "ESC ( B"},
    {"1B 1B 24 42", KC_JIS, "an ESC not followed by '$' or '(' moves on by one byte"},
    {"1B 28 1B 24 40", KC_JIS, "ESC ( ESC: the scan goes on at the '(' and finds ESC $"},
    {"1B 28 88", KC_SJIS, "the third byte of a failed escape is then classified"},
    {"1B 28 B0", KC_EUC, "the third byte of a failed escape is then classified"},
    {"E0 A0 E0 1B", KC_SJIS, "a pending lead then ESC below 0xA0"},
    {"FF FF", KC_SJIS, "0xFF pending takes 0xFF as its partner"},
    {"80", KC_SJIS, "0x80 lies in 0x80 to 0x9F"},
    {"9F", KC_SJIS, "0x9F lies in 0x80 to 0x9F"},
    {"A0", KC_EUC, "0xA0 lies in 0xA0 to 0xDF"},
    {"DF", KC_EUC, "0xDF lies in 0xA0 to 0xDF"},
    {"E0 9F B0", KC_SJIS, "a pending lead then 0x9F"},
};

// Beyond the first deciding byte: the text's validity in each code, and
// where both Shift_JIS and EUC-JP read it, how likely each reading is.
const DetectRow kValidityRows[] = {
    // Invalid in the first code, valid in another: that one.
    {"C3 B7 BD C4 CC A7 B2 D9 95 5C 8E A6", KC_SJIS,
     "half-width katakana first (0xC3 says EUC-JP), then 0x95, which EUC-JP has no place for"},
    {"B1 0A", KC_SJIS, "0xB1 then LF: a cut pair in EUC-JP, a half-width katakana in Shift_JIS"},
    {"8E B1 A4 F3 0A", KC_EUC, "0x8E says Shift_JIS; the lead 0xF3 before LF is invalid there"},
    {"8F F4 A1 A4 F3 0A", KC_EUC, "a three-byte EUC-JP character first (0x8F says Shift_JIS)"},
    {"1B 24 42 30 21 1B 28 42 88 9F", KC_SJIS, "an escape first, then a pair JIS has no place for"},
    {"1B 24 42 30 21 1B 28 42 B0 A1 A4 F3 0A", KC_EUC, "an escape first, then EUC-JP"},
    // Valid in the first code: it stands.
    {"1B 28 4A B1 B2", KC_JIS, "half-width katakana as single bytes are let pass in JIS"},
    {"B0 A1 8F A1", KC_EUC, "a three-byte unit cut by the end is no fault"},
    {"88", KC_SJIS, "a lead byte cut by the end is no fault"},
    // Invalid in all three: the first code stands.
    {"B0 02 FD FE", KC_EUC, "invalid in EUC-JP, and 0xFD is invalid in Shift_JIS"},
    {"88 9F FF", KC_SJIS, "0xFF is invalid in every code"},
    {"B0 A1 80", KC_EUC, "0x80 is invalid in EUC-JP and in Shift_JIS"},
    // Valid in both: the likelier reading.
    {"8E C3 8E B7 8E BD 8E C4", KC_EUC,
     "EUC-JP half-width katakana; as Shift_JIS one row of kanji over and over"},
    {"8F F4 A1 A4 CE A4 CF A1 A2", KC_EUC,
     "a vendor kanji of EUC-JP first, then hiragana; as Shift_JIS half-width katakana soup"},
    {"CC BE C1 B0", KC_EUC, "two kanji stand: as Shift_JIS no likelier"},
};

TEST(DetectionTable, ValidityAndLikelihood)
{
    GuardedRegion region(256);
    for (const DetectRow& row : kValidityRows) {
        Bytes text = FromHex(row.input);
        const char* in = PlaceFlush(region, text);
        int fast = DetectKanjiCode(in);
        int ref = plain::DetectKanjiCode(in);
        EXPECT_EQ(fast, row.code) << "DetectKanjiCode(" << Hex(text) << "): " << row.reason
                                  << "\n  expected " << KanjiCodeName(row.code) << ", got "
                                  << KanjiCodeName(fast);
        EXPECT_EQ(ref, row.code) << "plain::DetectKanjiCode(" << Hex(text) << "): " << row.reason;
    }
}

TEST(DetectionTable, EveryRow)
{
    GuardedRegion region(256);
    for (const DetectRow& row : kDetectRows) {
        Bytes text = FromHex(row.input);
        const char* in = PlaceFlush(region, text);
        int fast = DetectKanjiCode(in);
        int ref = plain::DetectKanjiCode(in);
        EXPECT_EQ(fast, row.code) << "DetectKanjiCode(" << Hex(text) << "): " << row.reason
                                  << "\n  expected " << KanjiCodeName(row.code) << ", got "
                                  << KanjiCodeName(fast);
        EXPECT_EQ(ref, row.code) << "plain::DetectKanjiCode(" << Hex(text)
                                 << "): " << row.reason << "\n  expected "
                                 << KanjiCodeName(row.code) << ", got "
                                 << KanjiCodeName(ref);
    }
}

// ---------------------------------------------------------------------------

struct ConvertRow {
    const char* input;
    const char* output;  // of the table's converter
    const char* note;
    // Where ConvertToSjis takes the text for another code (invalid in the
    // table's, valid in that one), the code detection gives; -1 for the
    // table's own.
    int detected = -1;
};

// Runs each row through ContractChecker (fast and plain, guard pages, the
// ConvertToSjis/direct agreement) and compares with the expected bytes.
void RunConvertTable(const ConvertRow* rows, std::size_t count, int code)
{
    ContractChecker checker(256);
    for (std::size_t i = 0; i < count; ++i) {
        const ConvertRow& row = rows[i];
        Bytes text = FromHex(row.input);
        Bytes want = FromHex(row.output);
        std::string why = std::string(row.note[0] ? row.note : "(table row)") +
                          "\n  input:    " + Hex(text) + "\n  expected: " + Hex(want);
        std::string err = checker.Check(text, "row " + std::to_string(i + 1));
        EXPECT_EQ(err, "") << why;
        if (!err.empty()) continue;
        const int detected = row.detected >= 0 ? row.detected : code;
        EXPECT_EQ(checker.LastCode(), detected)
            << "detected " << KanjiCodeName(checker.LastCode()) << ", expected "
            << KanjiCodeName(detected) << ": " << why;
        // Otherwise ConvertToSjis gives what the detected code's converter
        // gives, which the checker holds it to.
        if (detected == code) {
            EXPECT_EQ(checker.LastOutput(0), want)
                << "ConvertToSjis: " << why << "\n  actual:   " << Hex(checker.LastOutput(0));
        }
        const Converter& direct = ConverterFor(code);
        EXPECT_EQ(checker.LastOutput(1 + code), want)
            << direct.name << ": " << why << "\n  actual:   "
            << Hex(checker.LastOutput(1 + code));
    }
}

const ConvertRow kSjisRows[] = {
    {"", "", "only the NUL is written"},
    {"61 0A 62", "61 0D 0A 62", "LF gains CR"},
    {"61 0D 0A 62", "61 0D 0A 62", "CR LF stays"},
    {"0A 0A", "0D 0A 0D 0A", "each LF gains CR; a leading LF too"},
    {"0D 0A 0A", "0D 0A 0D 0A", ""},
    {"88 9F 0A", "88 9F 0D 0A", "an LF after a pair gains CR"},
    {"88 9F B1 0A", "88 9F B1 0D 0A",
     "0xB1 is a half-width katakana, one byte, so the LF after it "
     "gains CR like any other"},
    {"88 9F 61 62 80 0A", "88 9F 61 62 80 0D 0A", "0x80 is a single byte"},
    // Beyond the worked examples, from the same rules.
    {"0D", "0D", "a lone CR is copied without an LF"},
    {"0D 0D 0A", "0D 0D 0A", "CR CR LF: the LF follows a CR"},
    {"88 0D 0A", "88 0D 0D 0A",
     "the CR is a pair's partner, so the previous byte is 0x88 and the LF gains CR"},
    {"88 0A 0A", "88 0A 0D 0A", "the first LF is a partner, the second gains CR"},
    {"81 1B 24 42", "81 1B 24 42", "an ESC as partner is copied, not examined"},
    {"0D 88 9F 0A", "0D 88 9F 0D 0A", "a pair becomes the previous byte, so a CR before it does not count"},
    // Only 0x81 to 0x9F and 0xE0 to 0xFC start a pair.
    {"88 9F A1 DF 0A", "88 9F A1 DF 0D 0A", "half-width katakana 0xA1 and 0xDF are single bytes"},
    {"88 9F A0 0A FD 0A FE 0A FF 0A", "88 9F A0 0D 0A FD 0D 0A FE 0D 0A FF 0D 0A",
     "0xA0 and 0xFD to 0xFF are single bytes"},
    {"88 9F 80 B1 0D 0A", "88 9F 80 B1 0D 0A", "CR LF after a half-width katakana stays"},
    {"88 9F E0 0A FC 0A", "88 9F E0 0A FC 0A", "0xE0 and 0xFC start pairs: each LF is a partner"},
    {"9F 0A", "9F 0A", "0x9F starts a pair"},
    {"88 9F B1 88 9F 0A", "88 9F B1 88 9F 0D 0A", "a pair right after a katakana byte"},
    {"88 B1 0A", "88 B1 0D 0A", "0xB1 as a partner, then an LF that starts a unit"},
};

const ConvertRow kEucRows[] = {
    {"B0 A1", "88 9F", ""},
    {"A4 A2 A4 A4", "82 A0 82 A2", ""},
    {"A1 A1", "81 40", ""},
    {"61 0A B0 A1", "61 0D 0A 88 9F", ""},
    {"B0 A1 0D 0A", "88 9F 0D 0A", ""},
    {"B0 A1 80 0A", "88 9F 80 0D 0A", "0x80 is a single byte"},
    {"B0 A1 8E B1", "88 9F B1",
     "SS2 with a byte from 0xA1 to 0xDF is that half-width katakana"},
    {"B0 A1 A4 0A", "88 9F 82 08", "an LF as second byte: (0x24, 0x8A) is mapped; as a whole text "
     "invalid in EUC-JP and valid in Shift_JIS, so ConvertToSjis reads it as that", KC_SJIS},
    {"B1 0A", "89 AA", "invalid in EUC-JP and valid in Shift_JIS (\xef\xbd\xb1 and LF)", KC_SJIS},
    // Beyond the worked examples, from the same rules.
    {"B0 A1 0A", "88 9F 0D 0A", "an LF after a pair gains CR"},
    {"B0 A1 8F A1 A1 A1", "88 9F 81 AC A1",
     "SS3 and two bytes from 0xA1 are a JIS X 0212 character, "
     "which becomes GETA MARK; the last 0xA1 is a lead byte cut by the end"},
    {"0D B0 A1 0A", "0D 88 9F 0D 0A", "a pair becomes the previous byte, so a CR before it does not count"},
    {"B0 A1 F4 A6 0A 0A", "88 9F EA A4 0D 0A 0D 0A", "a row 0x74 pair, then two LFs"},
    // Half-width katakana and JIS X 0212.
    {"B0 A1 8E A1 8E DF 0A", "88 9F A1 DF 0D 0A", "SS2 0xA1 and SS2 0xDF, then an LF that gains CR"},
    {"B0 A1 8E B1 0D 0A", "88 9F B1 0D 0A", "CR LF after a half-width katakana stays"},
    {"B0 A1 8E A0", "88 9F 77 9E", "SS2 with 0xA0 goes through the pair arithmetic", KC_SJIS},
    {"B0 A1 8E E0", "88 9F 77 DE", "SS2 with 0xE0 goes through the pair arithmetic", KC_SJIS},
    {"B0 A1 8E 0A", "88 9F 77 08", "SS2 with an LF: the LF is a partner, as before"},
    {"B0 A1 8E 8E B1", "88 9F 77 8C B1", "SS2 SS2 is a pair; the 0xB1 after it is cut by the end", KC_SJIS},
    {"B0 A1 8F A1 A1", "88 9F 81 AC", "SS3 and two bytes from 0xA1 to 0xFE"},
    {"B0 A1 8F FE FE 0A", "88 9F 81 AC 0D 0A", "the last JIS X 0212 code, then an LF that gains CR"},
    {"B0 A1 8F A1 0A", "88 9F 78 40 0D 0A", "SS3 with only one byte from 0xA1 goes through the pair arithmetic",
     KC_SJIS},
    {"B0 A1 8F A0 A1", "88 9F 78 3F A1", "SS3 with 0xA0 goes through the pair arithmetic", KC_SJIS},
    {"B0 A1 8F A1", "88 9F 78 40", "SS3 and one byte before the end: a pair"},
    {"B0 A1 8F A1 FF 61", "88 9F 78 40 F0 01", "SS3 0xA1 0xFF: a pair, then 0xFF starts a pair with 0x61"},
};

const ConvertRow kJisRows[] = {
    {"1B 24 42 30 21 1B 28 42", "88 9F", ""},
    {"1B 24 42 24 22 24 24 1B 28 42 0A", "82 A0 82 A2 0D 0A", "the LF after ESC ( B gains CR"},
    {"1B 24 42 21 21 21 60 5F 21 5E 7E 1B 28 42", "81 40 81 80 E0 40 9F FC",
     "the thresholds of JisPairToSjis"},
    {"1B 24 40 30 21 1B 28 4A 0A", "88 9F 0D 0A", "ESC $ followed by 0x40, and ESC ( J"},
    {"1B 24 42 30 21 1B 28 49 31 1B 28 42", "88 9F B1",
     "ESC ( I selects half-width katakana; 0x31 becomes 0xB1"},
    {"1B 24 42 30 21 1B 28 42 B0 A1", "88 9F B0 A1", "high bytes in ASCII mode are copied"},
    {"1B 28 42 61 0D 0A", "61 0D 0A", ""},
    {"78 0D 1B 28 42 0A", "78 0D 0D 0A", "the previous byte is ESC after the sequence"},
    {"1B 78 1B 24 42 30 21 1B 28 42", "1B 78 88 9F",
     "an unrecognised escape in ASCII mode is copied"},
    {"1B 24 42 30 21 1B 78 1B 28 42", "88 9F 7E 98",
     "an unrecognised escape in kanji mode is a pair"},
    {"1B 24 42 30 21 0A 30 1B 28 42", "88 9F 0D 75 AE",
     "an LF in kanji mode gains CR and pairs with 0x30"},
    {"1B 24 42 30 1B 28 42", "88 99 84 C0",
     "odd byte count: the ESC is the partner of 0x30, and kanji mode stays on to the end"},
    {"1B 24 28 44 30 21 1B 28 42", "81 AC",
     "ESC $ ( D is one four-byte sequence selecting JIS X "
     "0212, which code page 932 lacks: its pair becomes GETA MARK"},
    {"61 1B 24", "61", "an escape sequence cut by the terminator writes nothing"},
    {"1B 28 42 61 1B", "61 1B", "an ESC as the last byte in ASCII mode is copied"},
    // Beyond the worked examples, from the same rules.
    {"1B 24 42 30 21 1B 24", "88 9F", "ESC $ cut by the terminator in kanji mode"},
    {"1B 24 42 30 21 0D 0A 1B 28 42", "88 9F 77 29",
     "CR LF as a pair in kanji mode: (0x0D, 0x0A) is mapped"},
    {"1B 28 42 0A 0A", "0D 0A 0D 0A", "after ESC ( B, each LF gains CR"},
    {"1B 28 42 0D 0A", "0D 0A", "a CR LF straight after the sequence stays"},
    {"1B 24 42 1B 24 42 30 21 1B 28 42", "88 9F", "ESC $ B in kanji mode stays in kanji mode"},
    {"1B 28 42 1B 28 42 61", "61", "ESC ( B in ASCII mode writes nothing"},
    // Half-width katakana: ESC ( I, SO and SI.
    {"1B 28 42 1B 28 49 21 5F 60 20 7F 1B 28 42 21", "A1 DF 60 20 7F 21",
     "0x21 to 0x5F become 0xA1 to 0xDF; other bytes are copied; ESC ( B returns to ASCII"},
    {"1B 28 42 1B 28 49 31 0A 32", "B1 0D 0A B2", "an LF in katakana mode gains CR"},
    {"1B 28 42 1B 28 49 31 0D 0A", "B1 0D 0A", "CR LF in katakana mode stays"},
    {"1B 28 42 78 0D 1B 28 49 0A", "78 0D 0D 0A", "the previous byte is ESC after ESC ( I too"},
    {"1B 28 42 1B 28 49 1B 31 1B 78", "1B B1 1B 78", "an unrecognised escape in katakana mode is copied"},
    {"1B 28 42 1B 28 49 31 1B 24 42 30 21 1B 28 42 31", "B1 88 9F 31",
     "after kanji mode ESC ( B selects ASCII, not katakana"},
    {"1B 28 42 1B 28 49 31 1B 28 4A 31", "B1 31", "ESC ( J selects ASCII"},
    {"1B 28 42 61 0E 31 32 0F 33", "61 B1 B2 33", "SO selects katakana and SI ASCII; neither is written"},
    {"1B 28 42 0D 0E 0A", "0D 0A", "SO leaves the previous byte a CR, so the LF gains none"},
    {"1B 28 42 61 0F 0A", "61 0D 0A", "SI leaves the previous byte 0x61, so the LF gains CR"},
    {"1B 28 42 0F 0F 61 0E 0E 31", "61 B1", "SI in ASCII and SO in katakana mode change nothing"},
    {"1B 28 42 1B 28 49 0F 31 0E 31", "31 B1", "SI and SO after ESC ( I"},
    {"1B 24 42 0E 21 0F 21 1B 28 42", "77 9F 78 40", "in kanji mode SO and SI are bytes of pairs"},
    {"1B 28 42 0E 31 1B 24 42 30 21 1B 28 42 31", "B1 88 9F 31",
     "ESC ( B selects ASCII after SO and kanji mode alike"},
    // ESC $ ( F: four bytes.
    {"1B 24 28 51 30 21 1B 28 42", "88 9F", "ESC $ ( Q selects kanji mode as ESC $ B does"},
    {"1B 24 28 4F 30 21 1B 28 42", "88 9F", "ESC $ ( O selects kanji mode as ESC $ B does"},
    {"1B 24 28 50 30 21 22 23 1B 28 42", "81 AC 81 AC", "ESC $ ( P: each pair becomes GETA MARK"},
    {"1B 24 28 44 30 21 1B 24 42 30 21 1B 28 42", "81 AC 88 9F", "ESC $ B after ESC $ ( D"},
    {"1B 24 28 44 0A 30 1B 28 42 0A", "0D 81 AC 0D 0A",
     "an LF there gains CR and pairs with 0x30, as in kanji mode"},
    {"1B 24 28 44 0E 21 1B 28 42", "81 AC", "SO is the byte of a pair there"},
    {"1B 24 28 44 1B 78 1B 28 42", "81 AC", "an unrecognised escape there is a pair"},
};

TEST(ConversionTable, ShiftJis) { RunConvertTable(kSjisRows, std::size(kSjisRows), KC_SJIS); }
TEST(ConversionTable, EucJp) { RunConvertTable(kEucRows, std::size(kEucRows), KC_EUC); }
TEST(ConversionTable, Jis) { RunConvertTable(kJisRows, std::size(kJisRows), KC_JIS); }

// ---------------------------------------------------------------------------
// The lone first byte of a pair cut by the terminator is copied unchanged.

struct CutRow {
    int converter;  // index into kConverters
    const char* input;
    const char* output;
    const char* reason;
};

constexpr int kToSjis = 0, kJis = 1, kSjis = 2, kEuc = 3;

const CutRow kCutRows[] = {
    {kToSjis, "88", "88", "a Shift_JIS lead byte alone"},
    {kToSjis, "61 0A 88", "61 0D 0A 88", "a Shift_JIS lead byte at the end"},
    {kToSjis, "88 9F 81", "88 9F 81", "a lead byte after a pair"},
    {kToSjis, "E0", "E0", "0xE0 alone (detected KC_SJIS)"},
    {kToSjis, "FF", "FF", "0xFF alone (detected KC_SJIS)"},
    {kSjis, "B1", "B1", "0xB1 alone, as Shift_JIS"},
    {kSjis, "80", "80", "0x80 is a single byte, not a cut pair"},
    {kToSjis, "B1", "B1", "0xB1 alone (detected KC_EUC)"},
    {kToSjis, "B0 A1 B1", "88 9F B1", "an EUC-JP lead byte at the end is not mapped"},
    {kToSjis, "B0 A1 8E", "88 9F 8E", "0x8E at the end of EUC-JP text"},
    {kToSjis, "B0 A1 0A FE", "88 9F 0D 0A FE", "0xFE at the end of EUC-JP text"},
    {kEuc, "81", "81", "0x81 alone, as EUC-JP"},
    {kEuc, "80", "80", "0x80 is a single byte, not a cut pair"},
    {kToSjis, "1B 24 42 30", "30", "one byte left in kanji mode"},
    {kToSjis, "1B 24 42 30 21 31", "88 9F 31", "one byte left after a pair in kanji mode"},
    {kToSjis, "1B 24 42 30 21 1B", "88 9F 1B", "an ESC as the last byte in kanji mode"},
    {kToSjis, "1B 24 42 0A", "0D 0A", "an LF as the last byte in kanji mode gets its CR first"},
    {kToSjis, "1B 24 42 30 21 0A", "88 9F 0D 0A", "the same after a pair"},
    {kToSjis, "1B 24 42 B0", "B0", "a high byte as the last byte in kanji mode"},
    {kToSjis, "1B 24 28 44", "",
     "ESC $ ( D is one sequence, so nothing is left to write"},
    {kToSjis, "1B 24 28", "", "ESC $ ( cut by the terminator writes nothing"},
    {kToSjis, "1B 24 28 44 30", "30", "one byte left after ESC $ ( D"},
    {kToSjis, "1B 24 28 44 30 21 31", "81 AC 31", "one byte left after a pair after ESC $ ( D"},
    {kToSjis, "1B 28 42 0E", "", "SO as the last byte writes nothing"},
    {kSjis, "DF", "DF", "0xDF alone, as Shift_JIS: a single byte"},
    {kSjis, "FD", "FD", "0xFD alone, as Shift_JIS: a single byte"},
    {kSjis, "FC", "FC", "0xFC alone, as Shift_JIS: a lead byte cut"},
    {kToSjis, "B0 A1 8F", "88 9F 8F", "SS3 at the end of EUC-JP text"},
    {kToSjis, "B0 A1 8F A1 A1 8E", "88 9F 81 AC 8E", "SS2 at the end, after a JIS X 0212 character"},
    {kJis, "1B 24 42 0D", "0D", "a CR as the last byte in kanji mode"},
    {kJis, "61 1B 28", "61", "ESC ( cut by the terminator writes nothing"},
};

TEST(CutPair, LoneFirstByteIsCopied)
{
    ContractChecker checker(64);
    for (const CutRow& row : kCutRows) {
        Bytes text = FromHex(row.input);
        Bytes want = FromHex(row.output);
        std::string err = checker.Check(text, row.reason);
        EXPECT_EQ(err, "");
        EXPECT_EQ(checker.LastOutput(row.converter), want)
            << kConverters[row.converter].name << ": " << row.reason
            << "\n  input:    " << Hex(text) << "\n  expected: " << Hex(want)
            << "\n  actual:   " << Hex(checker.LastOutput(row.converter));
    }
}

// ---------------------------------------------------------------------------
// A NUL ends the text wherever it stands; what follows is not looked at.

struct NulRow {
    const char* input;  // the whole buffer, the inner NUL included
    int code;
    const char* toSjis;
    const char* reason;
};

const NulRow kNulRows[] = {
    {"61 00 62", KC_SJIS, "61", "the byte after the NUL is neither examined nor converted"},
    {"61 00 0A", KC_SJIS, "61", "an LF after the NUL gains no CR"},
    {"61 00 B0 A1", KC_SJIS, "61", "a high byte after the NUL does not decide"},
    {"61 00 1B 24 42", KC_SJIS, "61", "an escape after the NUL does not decide"},
    {"88 00 9F", KC_SJIS, "88", "the NUL cuts a Shift_JIS pair"},
    {"B0 00 A1", KC_EUC, "B0", "the NUL cuts an EUC-JP pair"},
    {"1B 24 42 30 00 21", KC_JIS, "30", "the NUL cuts a pair in kanji mode"},
    {"1B 24 00 42 30 21", KC_JIS, "", "the NUL cuts an escape sequence"},
    {"1B 28 00 42", KC_SJIS, "1B 28", "ESC ( then the NUL decides nothing"},
    {"B0 A1 8F A1 00 A1", KC_EUC, "88 9F 78 40", "the NUL cuts a JIS X 0212 character: SS3 0xA1 is a pair"},
    {"B0 A1 8E 00 B1", KC_EUC, "88 9F 8E", "the NUL cuts an SS2 unit"},
    {"1B 24 28 00 44 30 21", KC_JIS, "", "the NUL cuts ESC $ ( F"},
    {"00 61", KC_SJIS, "", "a leading NUL is an empty text"},
};

TEST(NulEndsText, EveryConverter)
{
    ContractChecker checker(64);
    for (const NulRow& row : kNulRows) {
        Bytes text = FromHex(row.input);
        Bytes want = FromHex(row.toSjis);
        std::string err = checker.Check(text, row.reason);
        EXPECT_EQ(err, "");
        EXPECT_EQ(checker.LastCode(), row.code)
            << row.reason << "\n  input: " << Hex(text) << "\n  expected "
            << KanjiCodeName(row.code) << ", got " << KanjiCodeName(checker.LastCode());
        EXPECT_EQ(checker.LastOutput(0), want)
            << "ConvertToSjis: " << row.reason << "\n  input:    " << Hex(text)
            << "\n  expected: " << Hex(want) << "\n  actual:   " << Hex(checker.LastOutput(0));
        // Every converter gives what it gives for the text before the NUL.
        Bytes prefix(text.c_str());
        for (const Converter& c : kConverters)
            for (ConvertFn fn : {c.fast, c.plain})
                EXPECT_EQ(Convert(fn, text), Convert(fn, prefix))
                    << c.name << (fn == c.plain ? " (plain)" : "") << ": " << row.reason
                    << "\n  input: " << Hex(text);
    }
}

// ---------------------------------------------------------------------------
// No state survives a call: each conversion starts in ASCII mode with the
// previous byte 0.

struct TwoCallRow {
    int converter;
    const char* first;
    const char* firstOut;
    const char* second;
    const char* secondOut;
    const char* reason;
};

const TwoCallRow kTwoCallRows[] = {
    {kToSjis, "1B 24 42 30 21", "88 9F", "61 62 1B 28 42", "61 62",
     "the first ends in kanji mode; the second starts in ASCII mode"},
    {kJis, "1B 24 42 30 21", "88 9F", "61 62 1B 28 42", "61 62",
     "the first ends in kanji mode; the second starts in ASCII mode"},
    {kJis, "1B 24 42", "", "30 21", "30 21", "kanji mode does not carry over"},
    {kJis, "61 0D", "61 0D", "0A", "0D 0A", "the previous byte does not carry over"},
    {kJis, "1B 24 42 30 21 1B", "88 9F 1B", "24 42 30 21", "24 42 30 21",
     "an escape cut by the end is not completed by the next text"},
    {kSjis, "61 0D", "61 0D", "0A", "0D 0A", "the previous byte does not carry over"},
    {kSjis, "88", "88", "0A 61", "0D 0A 61", "a cut pair is not completed by the next text"},
    {kEuc, "61 0D", "61 0D", "0A", "0D 0A", "the previous byte does not carry over"},
    {kEuc, "B0", "B0", "A1", "A1", "a cut pair is not completed by the next text"},
    {kToSjis, "B0 A1 0D", "88 9F 0D", "0A", "0D 0A", "the previous byte does not carry over"},
};

TEST(TwoConversions, NothingCarriesOver)
{
    GuardedRegion inA(64), inB(64);
    for (const TwoCallRow& row : kTwoCallRows) {
        const Converter& c = kConverters[row.converter];
        for (ConvertFn fn : {c.fast, c.plain}) {
            const char* label = fn == c.plain ? " (plain)" : "";
            Bytes first = FromHex(row.first), second = FromHex(row.second);
            char out1[256], out2[256];
            fn(out1, PlaceFlush(inA, first));
            fn(out2, PlaceFlush(inB, second));
            EXPECT_EQ(Bytes(out1), FromHex(row.firstOut))
                << c.name << label << " first call: " << row.reason << "\n  input: "
                << Hex(first) << "\n  actual: " << Hex(Bytes(out1));
            EXPECT_EQ(Bytes(out2), FromHex(row.secondOut))
                << c.name << label << " second call: " << row.reason << "\n  input: "
                << Hex(second) << "\n  expected: " << row.secondOut
                << "\n  actual:   " << Hex(Bytes(out2));
        }
    }
}

// ---------------------------------------------------------------------------
// A malformed pair can map to a 00 byte: the text then reads as cut short, but
// ConvertToSjisLength reports the whole output.

struct WholeRow {
    const char* input;
    const char* output;  // all of it, inner 00 bytes included
    const char* reason;
};

const WholeRow kWholeRows[] = {
    // FD FE, invalid in Shift_JIS, keeps these texts EUC-JP for detection.
    {"B0 02 FD FE", "88 00 EF 9E", "EUC-JP (0xB0, 0x02) maps to (0x30, 0x82), whose second byte wraps to 00"},
    {"B0 02 B0 A1 FD FE 0A", "88 00 88 9F EF 9E 0D 0A", "and the conversion goes on after it"},
    {"1B 24 42 9F 21", "00 40", "in kanji mode 0x9F maps to a first byte of 00"},
    {"1B 24 42 30 82 31 21 1B 28 42 0A", "88 00 89 40 0D 0A", "a 00 inside kanji mode"},
    {"61 0A", "61 0D 0A", "no 00: the length is the text's"},
    {"", "", "the empty text"},
};

TEST(WholeOutput, LengthCountsInnerZeroBytes)
{
    ContractChecker checker(64);  // also holds every block path to the plain output
    GuardedRegion in(64);
    for (const WholeRow& row : kWholeRows) {
        Bytes text = FromHex(row.input), want = FromHex(row.output);
        EXPECT_EQ(checker.Check(text, row.reason), "");
        std::string out(2 * text.size() + 1, '\x5A');
        std::size_t length = ConvertToSjisLength(&out[0], PlaceFlush(in, text), text.size());
        EXPECT_EQ(Bytes(out, 0, length), want)
            << "ConvertToSjisLength: " << row.reason << "\n  input:    " << Hex(text)
            << "\n  expected: " << Hex(want) << "\n  actual:   " << Hex(Bytes(out, 0, length));
        EXPECT_EQ(out[length], '\0') << row.reason;
    }
}

// ---------------------------------------------------------------------------

struct PairRow {
    const char* input;
    const char* output;
};

const PairRow kJisPairRows[] = {
    {"30 21", "88 9F"}, {"24 22", "82 A0"}, {"21 21", "81 40"}, {"21 60", "81 80"},
    {"21 7E", "81 9E"}, {"5E 7E", "9F FC"}, {"5F 21", "E0 40"}, {"5F 5F", "E0 7E"},
    {"5F 60", "E0 80"}, {"74 26", "EA A4"}, {"7E 7E", "EF FC"}, {"0A 30", "75 AE"},
    // The same arithmetic outside 0x21 to 0x7E, with its wrap-around.
    {"00 00", "70 7E"}, {"FF FF", "30 1F"}, {"FE 90", "2F 0E"}, {"5E 21", "9F 9F"},
    {"1B 78", "7E 98"}, {"24 8A", "82 08"},
};

// Runs a pair function on a two-byte input and reports the two bytes written;
// the bytes around the output must stay as they were.
void CheckPairTable(const char* name, void (*fn)(char*, const char*), const PairRow* rows,
                    std::size_t count, bool mayWorkInPlace)
{
    for (std::size_t i = 0; i < count; ++i) {
        Bytes in = FromHex(rows[i].input), want = FromHex(rows[i].output);
        char buf[6] = {'\x55', '\x55', '\x55', '\x55', '\x55', '\x55'};
        fn(buf + 2, in.data());
        EXPECT_EQ(Bytes(buf + 2, 2), want)
            << name << "(" << Hex(in) << ")\n  expected: " << Hex(want)
            << "\n  actual:   " << Hex(Bytes(buf + 2, 2));
        EXPECT_EQ(Bytes(buf, 2) + Bytes(buf + 4, 2), Bytes(4, '\x55'))
            << name << "(" << Hex(in) << ") wrote outside its two bytes";
        if (!mayWorkInPlace) continue;
        // In place, as ConvertEucText uses it.
        char same[2] = {in[0], in[1]};
        fn(same, same);
        EXPECT_EQ(Bytes(same, 2), want) << name << " in place (" << Hex(in) << ")";
    }
}

TEST(PairTable, JisPairToSjis)
{
    CheckPairTable("JisPairToSjis", JisPairToSjis, kJisPairRows, std::size(kJisPairRows), true);
}

const PairRow kEucPairRows[] = {
    {"B0 A1", "30 21"}, {"A4 A2", "24 22"}, {"A1 A1", "21 21"}, {"8E B1", "0E 31"},
    {"A4 0A", "24 8A"}, {"B1 0A", "31 8A"}, {"F4 A6", "74 26"}, {"FE FE", "7E 7E"},
    {"80 80", "00 00"}, {"7F 01", "FF 81"}, {"00 00", "80 80"},
};

TEST(PairTable, EucPairToJis)
{
    CheckPairTable("EucPairToJis", EucPairToJis, kEucPairRows, std::size(kEucPairRows), false);
}

}  // namespace
}  // namespace convtest
