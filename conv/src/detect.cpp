#include "detect.h"

#include <cstdint>
#include <cstring>

#include "bytes.h"
#include "kanjicode.h"
#include "kanjicode_plain.h"
#include "kanjicode_stream.h"
#include "simd.h"

// Detection reads the text once, forward, and keeps four things as it goes:
//
// - the code the first deciding byte or escape sequence gives (a byte from
//   0x80 to 0x9F says Shift_JIS, one from 0xA0 to 0xDF says EUC-JP, ESC $ or
//   ESC ( J, B, ? says JIS; a byte from 0xE0 up waits for its partner);
// - whether the text is still valid in each of the three codes;
// - while both the Shift_JIS and the EUC-JP readings are valid, how likely
//   each is as Japanese text, by the classes of the characters it reads.
//
// The first code stands while the text is valid in it, unless the other
// reading is valid too and clearly likelier (text of half-width katakana
// alone, or EUC-JP that starts with a three-byte character). Where the text
// is invalid in the first code and valid in another, that one is taken.
// Where it is valid in none, the first code stands. A unit cut by the end of
// the text is no fault: a reader may have cut the file there.
//
// Once every code but the first is invalid nothing that follows can change
// the answer, and the scan stops there; ordinary text gets there within its
// first few characters.

namespace kanji {
namespace {

using Byte = unsigned char;

constexpr unsigned Bit(int code) { return 1u << code; }
constexpr unsigned kPairCodes = (1u << KC_SJIS) | (1u << KC_EUC);

// Weights are in half points. How much likelier the other reading has to be
// before it overrides the first code: a few characters' worth, so that a few
// bytes never turn the answer.
constexpr int kDoubtMargin = 12;
// Consecutive kanji of one row are rare in real text, and all there is when
// EUC-JP half-width katakana (0x8E xx) are read as Shift_JIS.
constexpr int kSameRowCost = 10;

// The escape test: ESC $ decides, and so does ESC ( followed by J, B or ?.
// The third byte is only looked at when the second is '(' and so not the NUL.
bool IsJisEscape(const Byte* p) {
    if (p[1] == kDollar) return true;
    return p[1] == kParen && (p[2] == 'J' || p[2] == 'B' || p[2] == '?');
}

// The weight of a character of a two-byte row (1 to 94 in JIS X 0208; up to
// 120 for the Shift_JIS lead bytes past it). Hiragana and punctuation fill
// Japanese text; a row no character set assigns marks a wrong reading.
int RowScore(unsigned row) {
    if (row == 4) return 12;                   // hiragana
    if (row == 5) return 10;                   // katakana
    if (row == 1) return 8;                    // punctuation and marks
    if (row >= 16 && row <= 47) return 6;      // the common kanji
    if (row == 2 || row == 3) return 2;        // symbols, digits, Latin letters
    if (row >= 48 && row <= 84) return 0;      // the rarer kanji
    if (row == 6 || row == 7) return 2;        // Greek, Cyrillic
    if (row == 8) return -4;                   // box drawing
    if (row == 13 || (row >= 89 && row <= 92) || (row >= 115 && row <= 120))
        return -6;                             // vendor extensions
    return -20;                                // rows no set assigns, user-defined areas
}

// A half-width katakana: two of them weigh about one common kanji, as two
// bytes of EUC-JP kanji read as Shift_JIS are two of them. The punctuation
// among them (0xA1 to 0xA5) is rare in text of their own but is what EUC-JP's
// hiragana, katakana and punctuation lead bytes read as in Shift_JIS. The
// small kana (0xA7 to 0xAF), the long vowel mark (0xB0) and the sound marks
// (0xDE, 0xDF) only ever follow a katakana of a syllable (0xB1 to 0xDC) or a
// sound mark: there they are a sure sign of katakana words, anywhere else of
// a wrong reading.
int KanaScore(unsigned c, unsigned& afterKana) {
    bool follows = (c >= 0xA7 && c <= 0xB0) || c >= 0xDE;
    int score = c <= 0xA5 ? -4 : !follows ? 3 : afterKana ? 6 : -6;
    afterKana = (c >= 0xB1 && c <= 0xDC) || c >= 0xDE;
    return score;
}

// A three-byte EUC-JP character by its row: the vendor extensions that code
// page 932 shares sit in rows 83 and 84, and are the usual reason for the
// form in Japanese text.
int SupplementScore(unsigned second) {
    unsigned row = second - 0xA0;
    return row == 83 || row == 84 ? 6 : -6;
}

unsigned SjisRow(unsigned lead, unsigned trail) {
    unsigned base = lead <= 0x9F ? lead - 0x81 : lead - 0xC1;
    return 2 * base + (trail >= 0x9F ? 2 : 1);
}

void ScorePair(int& score, unsigned& lastRow, unsigned row) {
    score += RowScore(row);
    if (row >= 16) {
        if (row == lastRow) score -= kSameRowCost;
        lastRow = row;
    }
}

bool BothReadingsValid(const KanjiDetector& d) { return (d.invalid & kPairCodes) == 0; }

// The rule of the first deciding byte, for the byte at p.
void FirstRuleStep(KanjiDetector& d, const Byte* p) {
    unsigned c = *p;
    if (d.pending != 0) {
        if (c < 0xA0)
            d.first = KC_SJIS;
        else
            d.pending = 0;  // c is the lead byte's partner, not a byte of its own
        return;
    }
    if (c == kEsc) {
        if (IsJisEscape(p)) d.first = KC_JIS;
    } else if (c >= 0x80 && c <= 0x9F) {
        d.first = KC_SJIS;
        d.shared = c == kSs2 || c == kSs3;
    } else if (c >= 0xA0 && c <= 0xDF) {
        d.first = KC_EUC;
    } else if (c >= 0xE0) {
        d.pending = c;
    }
}

// Shift_JIS as code page 932 has it: single bytes to 0x7F and 0xA1 to 0xDF,
// lead bytes 0x81 to 0x9F and 0xE0 to 0xFC with trails 0x40 to 0x7E and 0x80
// to 0xFC.
void SjisStep(KanjiDetector& d, unsigned c) {
    if (d.invalid & Bit(KC_SJIS)) return;
    if (d.sjisLead != 0) {
        unsigned lead = d.sjisLead;
        d.sjisLead = 0;
        if (c < 0x40 || c == 0x7F || c > 0xFC) {
            d.invalid |= Bit(KC_SJIS);
        } else if (BothReadingsValid(d)) {
            ScorePair(d.sjisScore, d.sjisRow, SjisRow(lead, c));
        }
        d.sjisKana = 0;
        return;
    }
    if (c < 0x80) {
        d.sjisKana = 0;
        return;
    }
    if (c >= 0xA1 && c <= 0xDF) {
        if (BothReadingsValid(d)) d.sjisScore += KanaScore(c, d.sjisKana);
    } else if (IsSjisLead(c)) {
        d.sjisLead = c;
    } else {
        d.invalid |= Bit(KC_SJIS);  // 0x80, 0xA0, 0xFD to 0xFF
    }
}

// EUC-JP: pairs of 0xA1 to 0xFE, half-width katakana after SS2, three-byte
// characters after SS3.
void EucStep(KanjiDetector& d, unsigned c) {
    if (d.invalid & Bit(KC_EUC)) return;
    unsigned lead = d.eucLead;
    if (lead == 0) {
        if (c < 0x80) {
            d.eucKana = 0;
            return;
        }
        if (IsEucByte(c) || c == kSs2 || c == kSs3)
            d.eucLead = c;
        else
            d.invalid |= Bit(KC_EUC);
        return;
    }
    if (lead == kSs2) {
        d.eucLead = 0;
        if (!IsEucKatakana(c))
            d.invalid |= Bit(KC_EUC);
        else if (BothReadingsValid(d))
            d.eucScore += KanaScore(c, d.eucKana);
        return;
    }
    d.eucKana = 0;
    if (!IsEucByte(c)) {
        d.invalid |= Bit(KC_EUC);
        return;
    }
    if (lead == kSs3) {
        if (d.eucSecond == 0) {
            d.eucSecond = c;
            return;
        }
        if (BothReadingsValid(d)) d.eucScore += SupplementScore(d.eucSecond);
        d.eucLead = 0;
        d.eucSecond = 0;
        return;
    }
    d.eucLead = 0;
    if (BothReadingsValid(d)) ScorePair(d.eucScore, d.eucRow, lead - 0xA0);
}

// One byte of the text. With the first rule still waiting, an ESC's test
// reads up to two bytes after it (see IsJisEscape).
inline void Step(KanjiDetector& d, const Byte* p) {
    unsigned c = *p;
    if (d.first < 0) FirstRuleStep(d, p);
    // JIS is seven bits; half-width katakana as single bytes, as some JIS
    // texts carry them, are let pass.
    if (c >= 0x80 && (c < 0xA1 || c > 0xDF)) d.invalid |= Bit(KC_JIS);
    SjisStep(d, c);
    EucStep(d, c);
}

// Whether nothing after this point can change the answer: every code but
// the first one is invalid (JIS is never another code's stand-in: text that
// is valid in it is valid in both others).
inline bool Settled(const KanjiDetector& d) {
    if (d.first < 0) return false;
    unsigned others = kPairCodes & ~Bit(d.first);
    return (d.invalid & others) == others;
}

// Every reading between units, and the first rule waiting for nothing.
inline bool BetweenUnits(const KanjiDetector& d) {
    return (d.pending | d.sjisLead | d.eucLead) == 0;
}

#if RUVOK_HAVE_SSE2

// The bytes of x from lo to hi.
inline __m128i InRange(__m128i x, unsigned char lo, unsigned char hi) {
    __m128i low = _mm_set1_epi8(static_cast<char>(lo));
    __m128i high = _mm_set1_epi8(static_cast<char>(hi));
    return _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(x, low), x), _mm_cmpeq_epi8(_mm_min_epu8(x, high), x));
}

inline std::uint64_t Bits(__m128i m) { return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m))); }

// The trail positions of a 64-byte block in which each byte of `lead` that
// is not itself a trail starts a two-byte unit. `carry` says whether the
// block's first byte is a trail, and becomes whether the next block's is.
inline std::uint64_t TrailPositions(std::uint64_t lead, std::uint64_t& carry) {
    const std::uint64_t even = 0x5555555555555555ULL;
    lead &= ~carry;
    std::uint64_t follows = lead << 1 | carry;
    // Runs of lead bytes that start on odd bits, added to the runs: the sum
    // marks the ends of those that start on even bits.
    std::uint64_t oddStarts = lead & ~even & ~follows;
    std::uint64_t evenRuns;
    carry = __builtin_add_overflow(oddStarts, lead, &evenRuns) ? 1 : 0;
    return (even ^ (evenRuns << 1)) & follows;
}

// With only the Shift_JIS reading left to check (the first code is another),
// 64 bytes at a time: every trail is 0x40 to 0x7E or 0x80 to 0xFC, and every
// other byte a single one or a lead. Stops before a block with a fault, for
// the one-byte steps to find it.
const Byte* SjisBlocks(KanjiDetector& d, const Byte* p, const Byte* end) {
    const Byte* start = p;
    std::uint64_t carry = d.sjisLead != 0;
    while (end - p >= 64) {
        std::uint64_t lead = 0, badTrail = 0, badSingle = 0;
        for (int k = 0; k < 4; ++k) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            __m128i low = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(0x3F)), x),
                                       _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F)));
            __m128i high = _mm_cmpeq_epi8(_mm_max_epu8(x, _mm_set1_epi8(static_cast<char>(0xFD))), x);
            __m128i ld = _mm_or_si128(InRange(x, 0x81, 0x9F), InRange(x, 0xE0, 0xFC));
            __m128i lone = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(0x80))),
                                        _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(0xA0))));
            lead |= Bits(ld) << (16 * k);
            badTrail |= Bits(_mm_or_si128(low, high)) << (16 * k);
            badSingle |= Bits(_mm_or_si128(high, lone)) << (16 * k);
        }
        std::uint64_t carryIn = carry;
        std::uint64_t trail = TrailPositions(lead, carry);
        if ((trail & badTrail) | (~trail & badSingle)) {
            carry = carryIn;
            break;
        }
        p += 64;
    }
    if (p != start) {
        d.sjisLead = carry ? p[-1] : 0;
        d.sjisKana = 0;
    }
    return p;
}

// The same for EUC-JP, over blocks without SS2, SS3 or bytes it has no place
// for: pairs of 0xA1 to 0xFE.
const Byte* EucBlocks(KanjiDetector& d, const Byte* p, const Byte* end) {
    const Byte* start = p;
    std::uint64_t carry = d.eucLead != 0;
    while (end - p >= 64) {
        std::uint64_t pair = 0, other = 0;
        for (int k = 0; k < 4; ++k) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            __m128i pb = InRange(x, 0xA1, 0xFE);
            __m128i high = _mm_cmplt_epi8(x, _mm_setzero_si128());  // 0x80 and up
            pair |= Bits(pb) << (16 * k);
            other |= Bits(_mm_andnot_si128(pb, high)) << (16 * k);
        }
        std::uint64_t carryIn = carry;
        std::uint64_t trail = TrailPositions(pair, carry);
        if (other | (trail & ~pair)) {
            carry = carryIn;
            break;
        }
        p += 64;
    }
    if (p != start) {
        d.eucLead = carry ? p[-1] : 0;
        d.eucKana = 0;
    }
    return p;
}

#endif

// Scans [p, end), which holds no NUL; an ESC's test may read two bytes past
// `end`, which the caller vouches for. Returns true once settled.
bool Scan(KanjiDetector& d, const Byte* p, const Byte* end) {
    while (p != end) {
#if RUVOK_HAVE_SSE2
        // One reading left to check, and it is not the first code's: the
        // text is read to its end, in blocks.
        // (With JIS first, its own validity is still to be watched.)
        if (d.first >= 0 && (d.first != KC_JIS || (d.invalid & Bit(KC_JIS))) && d.eucLead != kSs2 &&
            d.eucLead != kSs3) {
            unsigned left = kPairCodes & ~d.invalid;
            if (left == Bit(KC_SJIS) && end - p >= 64) {
                const Byte* q = SjisBlocks(d, p, end);
                if (q != p) {
                    p = q;
                    continue;
                }
            } else if (left == Bit(KC_EUC) && end - p >= 64) {
                const Byte* q = EucBlocks(d, p, end);
                if (q != p) {
                    p = q;
                    continue;
                }
            }
        }
        // Between units, a block of ASCII changes nothing (nor does an ESC
        // once the first rule has decided).
        if (*p < 0x80 && BetweenUnits(d)) {
            d.sjisKana = 0;  // as the ASCII byte's own step has it
            d.eucKana = 0;
            const __m128i stopByte = _mm_set1_epi8(static_cast<char>(d.first < 0 ? kEsc : 0x80));
            while (end - p >= 16) {
                __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(x)) |
                                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, stopByte)));
                if (stop != 0) {
                    p += CountTrailingZeros(stop);
                    break;
                }
                p += 16;
            }
            if (p == end) break;
        }
#endif
        Step(d, p);
        ++p;
        if (Settled(d)) return true;
    }
    return Settled(d);
}

}  // namespace

void StartDetector(KanjiDetector& d) {
    d.first = -1;
    d.pending = 0;
    d.shared = 0;
    d.invalid = 0;
    d.sjisLead = 0;
    d.eucLead = 0;
    d.eucSecond = 0;
    d.sjisScore = 0;
    d.eucScore = 0;
    d.sjisRow = 0;
    d.eucRow = 0;
    d.sjisKana = 0;
    d.eucKana = 0;
}

int DetectorAnswer(const KanjiDetector& d) {
    int first = d.first < 0 ? KC_SJIS : d.first;
    bool sjis = (d.invalid & Bit(KC_SJIS)) == 0;
    bool euc = (d.invalid & Bit(KC_EUC)) == 0;
    if ((d.invalid & Bit(first)) == 0) {
        // SS2 and SS3 as the deciding byte say nothing for Shift_JIS: then
        // the readings weigh alike.
        int margin = d.shared ? 0 : kDoubtMargin;
        if (first == KC_SJIS) return euc && d.eucScore > d.sjisScore + margin ? KC_EUC : KC_SJIS;
        if (first == KC_EUC) return sjis && d.sjisScore > d.eucScore + kDoubtMargin ? KC_SJIS : KC_EUC;
        return KC_JIS;
    }
    if (sjis && euc) return d.eucScore > d.sjisScore ? KC_EUC : KC_SJIS;
    if (sjis) return KC_SJIS;
    if (euc) return KC_EUC;
    return first;
}

int DetectKanjiCodeN(const unsigned char* text, std::size_t n) {
    KanjiDetector d;
    StartDetector(d);
    if (Scan(d, text, text + n)) return d.first;
    return DetectorAnswer(d);
}

}  // namespace kanji

void StartKanjiDetector(KanjiDetector* detector) { kanji::StartDetector(*detector); }

int DetectInPiece(KanjiDetector* detector, const char* in, std::size_t n, std::size_t* used) {
    const auto* text = reinterpret_cast<const unsigned char*>(in);
    KanjiDetector& d = *detector;
    // The escape test reads two bytes past the ESC: up to n - 2 they are in
    // this piece.
    std::size_t body = n < 2 ? 0 : n - 2;
    if (kanji::Scan(d, text, text + body)) {
        *used = n;
        return d.first;
    }
    // The last bytes, up to an ESC that the first rule would test.
    std::size_t i = body;
    for (; i < n; ++i) {
        if (text[i] == kanji::kEsc && d.first < 0 && d.pending == 0) break;
        if (kanji::Scan(d, text + i, text + i + 1)) {
            *used = n;
            return d.first;
        }
    }
    *used = i;
    return -1;
}

int FinishDetector(KanjiDetector* detector, const char* in, std::size_t n) {
    const auto* text = reinterpret_cast<const unsigned char*>(in);
    if (kanji::Scan(*detector, text, text + n)) return detector->first;  // text[n] is the NUL
    return kanji::DetectorAnswer(*detector);
}

namespace plain {

// The reference: every byte to the NUL, one at a time, with no early stop,
// so that a test holding it against the fast scan checks the stop as well.
int DetectKanjiCode(const char* text) {
    KanjiDetector d;
    kanji::StartDetector(d);
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p)
        kanji::Scan(d, p, p + 1);
    return kanji::DetectorAnswer(d);
}

}  // namespace plain

// The text is taken a piece at a time, its NUL looked for just before each
// piece is scanned, so that a text the scan settles early is not read to
// its end.
int DetectKanjiCode(const char* text) {
    KanjiDetector d;
    kanji::StartDetector(d);
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    constexpr std::size_t kPiece = 8 * 1024;
    for (;;) {
        std::size_t n = strnlen(reinterpret_cast<const char*>(p), kPiece);
        if (kanji::Scan(d, p, p + n)) return d.first;
        if (n < kPiece) return kanji::DetectorAnswer(d);
        p += n;
    }
}
