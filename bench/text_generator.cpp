#include "text_generator.h"

#include <algorithm>
#include <iterator>
#include <random>

namespace {

constexpr char kEsc = 0x1B;
constexpr char kLf = 0x0A;

// A JIS X 0208 code as row and cell, each 1 to 94.
struct Ku {
    int row;
    int cell;
};

// Japanese punctuation from row 1: 、。・ー「」（）！？
constexpr Ku kPunctuation[] = {{1, 2}, {1, 3}, {1, 6}, {1, 28}, {1, 54},
                               {1, 55}, {1, 42}, {1, 43}, {1, 10}, {1, 9}};

Ku PickKanji(std::mt19937_64& rng) {
    // Level 1 kanji: rows 16 to 47; row 47 ends at cell 51.
    int row = std::uniform_int_distribution<int>(16, 47)(rng);
    int last = row == 47 ? 51 : 94;
    return {row, std::uniform_int_distribution<int>(1, last)(rng)};
}

Ku PickKana(std::mt19937_64& rng) {
    // Hiragana (row 4, cells 1 to 83) three times as often as katakana (row 5, 1 to 86).
    if (std::uniform_int_distribution<int>(0, 3)(rng) < 3)
        return {4, std::uniform_int_distribution<int>(1, 83)(rng)};
    return {5, std::uniform_int_distribution<int>(1, 86)(rng)};
}

char PickAscii(std::mt19937_64& rng) {
    static constexpr char kAscii[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,-()";
    return kAscii[std::uniform_int_distribution<size_t>(0, sizeof kAscii - 2)(rng)];
}

class Renderer {
public:
    explicit Renderer(TextEncoding encoding) : m_encoding(encoding) {}

    void Ascii(char c) {
        LeaveKanji();
        m_line += c;
    }
    void Kanji(Ku ku) {
        unsigned char a = static_cast<unsigned char>(0x20 + ku.row);
        unsigned char b = static_cast<unsigned char>(0x20 + ku.cell);
        switch (m_encoding) {
        case TextEncoding::kJis:
            if (!m_kanji) {
                m_line += {kEsc, '$', 'B'};
                m_kanji = true;
            }
            m_line += {static_cast<char>(a), static_cast<char>(b)};
            break;
        case TextEncoding::kEuc:
            m_line += {static_cast<char>(a | 0x80), static_cast<char>(b | 0x80)};
            break;
        case TextEncoding::kSjis: {
            // The standard JIS X 0208 to Shift_JIS arithmetic.
            unsigned s1 = ((a + 1u) >> 1) + (a <= 0x5E ? 0x70u : 0xB0u);
            unsigned s2 = b + ((a & 1) ? (b < 0x60 ? 0x1Fu : 0x20u) : 0x7Eu);
            m_line += {static_cast<char>(s1), static_cast<char>(s2)};
            break;
        }
        }
    }
    // Ends the line; returns it, LF included, and starts the next.
    std::string TakeLine() {
        LeaveKanji();
        m_line += kLf;
        std::string line;
        line.swap(m_line);
        return line;
    }

private:
    void LeaveKanji() {
        if (m_kanji) {
            m_line += {kEsc, '(', 'B'};
            m_kanji = false;
        }
    }

    TextEncoding m_encoding;
    bool m_kanji = false;
    std::string m_line;
};

}  // namespace

const char* TextKindName(TextKind kind) {
    return kind == TextKind::kKanjiHeavy ? "kanji" : "ascii";
}

const char* TextEncodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::kJis: return "jis";
    case TextEncoding::kEuc: return "euc";
    default: return "sjis";
    }
}

std::string MakeText(TextKind kind, TextEncoding encoding, size_t size, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> percent(0, 999);
    std::uniform_int_distribution<int> line_length(30, 60);
    // Text comes in runs, as it does in real files: ASCII words of 2 to 8
    // characters and Japanese phrases of 2 to 12. A run is Japanese with
    // these chances (per mille), which give about 90 % of the characters to
    // the text's main kind.
    std::uniform_int_distribution<int> ascii_run(2, 8), japanese_run(2, 12);
    const int japanese_runs = kind == TextKind::kKanjiHeavy ? 865 : 74;

    Renderer renderer(encoding);
    std::string text;
    text.reserve(size);
    for (;;) {
        int left = line_length(rng);
        while (left > 0) {
            bool japanese = percent(rng) < japanese_runs;
            int run = std::min(left, japanese ? japanese_run(rng) : ascii_run(rng));
            left -= run;
            for (; run > 0; --run) {
                if (!japanese) {
                    renderer.Ascii(run == 1 ? ' ' : PickAscii(rng));
                    continue;
                }
                // 55 % kanji, 37 % kana, 8 % punctuation.
                int q = percent(rng);
                if (q < 550)
                    renderer.Kanji(PickKanji(rng));
                else if (q < 920)
                    renderer.Kanji(PickKana(rng));
                else
                    renderer.Kanji(kPunctuation[static_cast<size_t>(q) % std::size(kPunctuation)]);
            }
        }
        std::string line = renderer.TakeLine();
        if (text.size() + line.size() > size) break;
        text += line;
    }
    return text;
}
