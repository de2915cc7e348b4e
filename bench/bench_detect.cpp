// Detection on real Japanese text beside nkf's guess: a corpus made at run
// time from Debian's Japanese manual pages (manpages-ja), in five sets
// (ordinary prose; the ASCII-heavy page heads; prose with its katakana made
// half-width; half-width katakana alone; prose with code page 932 and
// eucJP-ms extension characters), each in Shift_JIS, EUC-JP, ISO-2022-JP
// (where the set has it) and UTF-8 by glibc's iconv, cut to 20, 100 and
// 1,000 bytes between characters. A sample counts as right when the
// document's decision (a Unicode form first, then DetectKanjiCode) names the
// code it was made in; nkf -g runs on the same files in the same run. Each
// sample read as one of the Japanese codes is also converted, and the
// conversion decoded as code page 932 must read as the text it was made
// from.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <iconv.h>
#include <unistd.h>

#include "kanjicode.h"
#include "kanjicode_length.h"
#include "unicode_form.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kLengths[] = {20, 100, 1000};
constexpr size_t kPagesWanted = 400;

enum Code { kSjis, kEuc, kJis, kUtf8, kCodeCount };
const char* const kCodeNames[] = {"Shift_JIS", "EUC-JP", "ISO-2022-JP", "UTF-8"};

enum Set { kProse, kHeads, kHalfProse, kKanaAlone, kExtensions, kSetCount };
const char* const kSetNames[] = {"prose", "page heads", "half-width prose", "half-width kana alone",
                                 "extensions"};

// The iconv name of each code for each set: the extension set in the
// vendors' forms.
const char* IconvName(Set set, Code code) {
    switch (code) {
    case kSjis: return "CP932";
    case kEuc: return set == kExtensions ? "EUC-JP-MS" : "EUC-JP";
    case kJis: return "ISO-2022-JP";
    case kUtf8: return "UTF-8";
    default: return "";
    }
}

bool SetHas(Set set, Code code) {
    // ISO-2022-JP has neither half-width katakana nor the vendors' characters.
    return code != kJis || set == kProse || set == kHeads;
}

// ---- text ------------------------------------------------------------------

std::u32string DecodeUtf8(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < n && i + k < s.size(); ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += cp;
        i += static_cast<size_t>(n);
    }
    return out;
}

std::string EncodeUtf8(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Converts with iconv; false where it cannot.
bool Iconv(const char* to, const char* from, const std::string& in, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out->assign(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = &(*out)[0];
    size_t dstLeft = out->size();
    bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) &&
              iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1);
    out->resize(out->size() - dstLeft);
    iconv_close(cd);
    return ok;
}

std::string ReadPage(const fs::path& path) {
    std::string command = "zcat '" + path.string() + "' 2>/dev/null";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
        pclose(pipe);
    }
    return text;
}

bool IsKatakana(char32_t c) { return (c >= 0x30A1 && c <= 0x30F6) || c == 0x30FC; }

// Full-width katakana as half-width ones (voiced ones as two).
const char* const kHalfWidth[] = {
    "ｧ", "ｱ", "ｨ", "ｲ", "ｩ", "ｳ", "ｪ", "ｴ", "ｫ", "ｵ", "ｶ", "ｶﾞ", "ｷ", "ｷﾞ", "ｸ", "ｸﾞ", "ｹ", "ｹﾞ", "ｺ", "ｺﾞ",
    "ｻ", "ｻﾞ", "ｼ", "ｼﾞ", "ｽ", "ｽﾞ", "ｾ", "ｾﾞ", "ｿ", "ｿﾞ", "ﾀ", "ﾀﾞ", "ﾁ", "ﾁﾞ", "ｯ", "ﾂ", "ﾂﾞ", "ﾃ", "ﾃﾞ", "ﾄ",
    "ﾄﾞ", "ﾅ", "ﾆ", "ﾇ", "ﾈ", "ﾉ", "ﾊ", "ﾊﾞ", "ﾊﾟ", "ﾋ", "ﾋﾞ", "ﾋﾟ", "ﾌ", "ﾌﾞ", "ﾌﾟ", "ﾍ", "ﾍﾞ", "ﾍﾟ", "ﾎ", "ﾎﾞ",
    "ﾎﾟ", "ﾏ", "ﾐ", "ﾑ", "ﾒ", "ﾓ", "ｬ", "ﾔ", "ｭ", "ﾕ", "ｮ", "ﾖ", "ﾗ", "ﾘ", "ﾙ", "ﾚ", "ﾛ", "ﾜ", "ﾜ", "ｲ",
    "ｴ", "ｦ", "ﾝ", "ｳﾞ", "ｶ", "ｹ"};
static_assert(sizeof kHalfWidth / sizeof kHalfWidth[0] == 0x30F6 - 0x30A1 + 1, "one for each katakana");

std::u32string HalfWidth(char32_t c) {
    if (c == 0x30FC) return U"ｰ";
    return DecodeUtf8(kHalfWidth[c - 0x30A1]);
}

std::u32string MakeHalfWidth(const std::u32string& text) {
    std::u32string out;
    for (char32_t c : text) out += IsKatakana(c) ? HalfWidth(c) : std::u32string(1, c);
    return out;
}

bool HasNonAscii(const std::u32string& text) {
    return std::any_of(text.begin(), text.end(), [](char32_t c) { return c >= 0x80; });
}

// The lines of running text of a page: no requests, no comments.
std::vector<std::u32string> ProseLines(const std::u32string& page) {
    std::vector<std::u32string> lines;
    size_t start = 0;
    while (start < page.size()) {
        size_t end = page.find(U'\n', start);
        if (end == std::u32string::npos) end = page.size();
        std::u32string line = page.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == U'.' || line[0] == U'\'' || line[0] == U'\\') continue;
        if (HasNonAscii(line)) lines.push_back(line);
    }
    return lines;
}

std::u32string Join(const std::vector<std::u32string>& lines, size_t from) {
    std::u32string out;
    for (size_t i = from; i < lines.size(); ++i) out += lines[i] + U"\n";
    return out;
}

// The five texts of one page (empty where the page has none).
std::vector<std::u32string> MakeTexts(const std::u32string& page) {
    std::vector<std::u32string> texts(kSetCount);
    std::vector<std::u32string> lines = ProseLines(page);
    if (lines.size() < 4) return texts;
    texts[kProse] = Join(lines, lines.size() / 3);
    // From the request line before the first Japanese line on.
    size_t first = 0;
    while (first < page.size() && page[first] < 0x80) ++first;
    size_t head = page.rfind(U"\n.SH", first);
    texts[kHeads] = page.substr(head == std::u32string::npos ? 0 : head + 1);
    texts[kHalfProse] = MakeHalfWidth(texts[kProse]);
    std::u32string kana;
    size_t words = 0;
    for (size_t i = 0; i < page.size();) {
        if (!IsKatakana(page[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < page.size() && IsKatakana(page[j])) ++j;
        if (j - i >= 2) {
            kana += MakeHalfWidth(page.substr(i, j - i));
            kana += ++words % 6 == 0 ? U'\n' : U' ';
        }
        i = j;
    }
    texts[kKanaAlone] = kana;
    // A vendor character first, then one every 12 characters.
    static const std::u32string kVendor = U"髙﨑①㈱Ⅰⅱ纊黑№∵";
    std::u32string ext;
    size_t n = 0;
    for (char32_t c : texts[kProse]) {
        if (n++ % 12 == 0) ext += kVendor[(n / 12) % kVendor.size()];
        ext += c;
    }
    texts[kExtensions] = ext;
    return texts;
}

// ---- samples ---------------------------------------------------------------

struct Sample {
    std::u32string text;  // what it was made from
    std::string bytes;
};

// The longest start of `text` of whole characters that takes at most
// `limit` bytes in `code`; the text must be long enough to fill most of it.
bool Cut(const std::u32string& text, Set set, Code code, size_t limit, Sample* sample) {
    std::string whole;
    if (!Iconv(IconvName(set, code), "UTF-8", EncodeUtf8(text), &whole) || whole.size() < limit) return false;
    size_t lo = 0, hi = std::min(text.size(), limit);
    std::string best;
    while (lo < hi) {  // the largest count of characters that fits
        size_t mid = (lo + hi + 1) / 2;
        std::string bytes;
        if (Iconv(IconvName(set, code), "UTF-8", EncodeUtf8(text.substr(0, mid)), &bytes) && bytes.size() <= limit) {
            lo = mid;
            best = bytes;
        } else {
            hi = mid - 1;
        }
    }
    sample->text = text.substr(0, lo);
    sample->bytes = best;
    return HasNonAscii(sample->text) && best.size() + 8 >= limit;
}

// The document's decision, as a code.
int Decide(const std::string& bytes) {
    std::size_t bom = 0;
    if (DetectUnicodeForm(bytes.data(), bytes.size(), &bom) != UF_NONE) return kUtf8;
    switch (DetectKanjiCode(bytes.c_str())) {
    case KC_JIS: return kJis;
    case KC_EUC: return kEuc;
    default: return kSjis;
    }
}

// What the conversion should read as: LF as CR LF, the Linux forms as the
// code page's own characters, and EUC-JP's three-byte characters (JIS X
// 0212, and eucJP-ms's vendor ones) as GETA MARK, which the conversion
// gives them.
std::u32string Expected(const Sample& s, Set set, Code code) {
    std::u32string out;
    for (char32_t c : s.text) {
        if (c == U'\n') {
            out += U"\r\n";
            continue;
        }
        // The Linux forms read back as the code page's own characters.
        static const std::map<char32_t, char32_t> kOwnForms = {
            {0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D}, {0x00A2, 0xFFE0},
            {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x2014, 0x2015}, {0x00A6, 0xFFE4}};
        auto own = kOwnForms.find(c);
        if (own != kOwnForms.end()) {
            out += own->second;
            continue;
        }
        if (code == kEuc && c >= 0x80) {
            std::string e;
            if (Iconv(IconvName(set, code), "UTF-8", EncodeUtf8(std::u32string(1, c)), &e) && !e.empty() &&
                static_cast<unsigned char>(e[0]) == 0x8F) {
                out += U'〓';
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool ReadsBack(const Sample& s, Set set, Code code) {
    std::string out(2 * s.bytes.size() + 1, '\0');
    out.resize(ConvertToSjisLength(&out[0], s.bytes.c_str(), s.bytes.size()));
    std::string utf8;
    if (!Iconv("UTF-8", "CP932", out, &utf8)) {
        if (std::getenv("RUVOK_BENCH_DETECT_SHOW"))
            std::fprintf(stderr, "  no code page 932 after byte %zu of %zu\n", utf8.size(), out.size());
        return false;
    }
    std::u32string got = DecodeUtf8(utf8), want = Expected(s, set, code);
    if (got != want && std::getenv("RUVOK_BENCH_DETECT_SHOW")) {
        size_t i = 0;
        while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
        std::fprintf(stderr, "  at %zu: got U+%04X, want U+%04X\n", i, i < got.size() ? unsigned(got[i]) : 0u,
                     i < want.size() ? unsigned(want[i]) : 0u);
    }
    return got == want;
}

// nkf's guess for each file, by its name as nkf gives the code.
std::vector<int> NkfGuesses(const std::vector<std::string>& paths) {
    std::vector<int> guesses(paths.size(), -1);
    for (size_t from = 0; from < paths.size(); from += 400) {
        std::string command = "nkf -g";
        size_t to = std::min(paths.size(), from + 400);
        for (size_t i = from; i < to; ++i) command += " '" + paths[i] + "'";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) continue;
        char line[4096];
        size_t i = from;
        while (fgets(line, sizeof line, pipe) && i < to) {
            std::string l(line);
            std::string name = l.substr(l.rfind(": ") == std::string::npos ? 0 : l.rfind(": ") + 2);
            int g = -1;
            if (name.find("Shift_JIS") == 0 || name.find("CP932") == 0 || name.find("Windows-31J") == 0)
                g = kSjis;
            else if (name.find("EUC") == 0 || name.find("CP51932") == 0 || name.find("eucJP") == 0)
                g = kEuc;
            else if (name.find("ISO-2022-JP") == 0)
                g = kJis;
            else if (name.find("UTF-8") == 0)
                g = kUtf8;
            guesses[i++] = g;
        }
        pclose(pipe);
    }
    return guesses;
}

// The goal of a cell, in per cent.
double Goal(Set set, Code code, size_t length) {
    if (length >= 100) return 100;
    if (set == kKanaAlone) return 90;
    if (set == kHeads && code == kEuc) return 95;
    return 98;
}

}  // namespace

int main() {
    std::vector<fs::path> pages;
    for (const char* dir : {"/usr/share/man/ja/man1", "/usr/share/man/ja/man5", "/usr/share/man/ja/man8",
                            "/usr/share/man/ja/man7", "/usr/share/man/ja/man4", "/usr/share/man/ja/man6"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir, ec))
            if (entry.path().extension() == ".gz") pages.push_back(entry.path());
    }
    std::sort(pages.begin(), pages.end());
    if (pages.empty()) {
        std::fprintf(stderr, "bench_detect: no Japanese manual pages (install manpages-ja)\n");
        return 1;
    }
    // Pages spread over the whole list, the same on every run.
    std::vector<std::vector<std::u32string>> texts;
    size_t step = std::max<size_t>(1, pages.size() / kPagesWanted);
    for (size_t i = 0; i < pages.size() && texts.size() < kPagesWanted; i += step) {
        std::vector<std::u32string> t = MakeTexts(DecodeUtf8(ReadPage(pages[i])));
        if (!t[kProse].empty()) texts.push_back(std::move(t));
    }

    // Only characters every code of the set has: the same text in each.
    std::map<std::pair<int, char32_t>, bool> encodable;
    for (auto& t : texts) {
        for (int set = 0; set < kSetCount; ++set) {
            std::u32string kept;
            for (char32_t c : t[set]) {
                auto key = std::make_pair(set, c);
                auto it = encodable.find(key);
                if (it == encodable.end()) {
                    bool ok = true;
                    for (int code = 0; code < kCodeCount && ok; ++code) {
                        std::string out;
                        if (SetHas(static_cast<Set>(set), static_cast<Code>(code)))
                            ok = Iconv(IconvName(static_cast<Set>(set), static_cast<Code>(code)), "UTF-8",
                                       EncodeUtf8(std::u32string(1, c)), &out);
                    }
                    it = encodable.emplace(key, ok).first;
                }
                if (it->second) kept += c;
            }
            t[set] = kept;
        }
    }

    char dirTemplate[] = "/tmp/ruvok-bench-detect.XXXXXX";
    const char* dir = mkdtemp(dirTemplate);
    if (!dir) return 1;

    std::printf("%-22s %-12s %6s %6s %9s %9s %6s  %s\n", "set", "code", "bytes", "n", "ruvok %", "nkf %", "goal",
                "met");
    int missed = 0;
    size_t unread = 0, checked = 0;
    std::map<int, size_t> confusions;
    for (int set = 0; set < kSetCount; ++set) {
        for (int code = 0; code < kCodeCount; ++code) {
            if (!SetHas(static_cast<Set>(set), static_cast<Code>(code))) continue;
            for (size_t length : kLengths) {
                std::vector<Sample> samples;
                for (const auto& t : texts) {
                    Sample s;
                    if (!t[set].empty() && Cut(t[set], static_cast<Set>(set), static_cast<Code>(code), length, &s))
                        samples.push_back(std::move(s));
                }
                if (samples.empty()) continue;
                std::vector<std::string> paths;
                size_t right = 0;
                for (size_t i = 0; i < samples.size(); ++i) {
                    const Sample& s = samples[i];
                    std::string path = std::string(dir) + "/" + std::to_string(i);
                    std::ofstream(path, std::ios::binary) << s.bytes;
                    paths.push_back(path);
                    int decided = Decide(s.bytes);
                    if (decided == code) ++right;
                    else if (std::getenv("RUVOK_BENCH_DETECT_SHOW") &&
                             (std::ofstream("/tmp/ruvok-miss-" + std::to_string(i), std::ios::binary) << s.bytes))
                        std::fprintf(stderr, "%s %s %zu: read as %s: %s\n", kSetNames[set], kCodeNames[code], length,
                                     kCodeNames[decided], EncodeUtf8(s.text).substr(0, 120).c_str());
                    if (decided != kUtf8) {
                        ++checked;
                        if (decided == code && !ReadsBack(s, static_cast<Set>(set), static_cast<Code>(code))) {
                            ++unread;
                            if (std::getenv("RUVOK_BENCH_DETECT_SHOW"))
                                std::fprintf(stderr, "%s %s %zu: reads back otherwise: %s\n", kSetNames[set],
                                             kCodeNames[code], length, EncodeUtf8(s.text).substr(0, 200).c_str());
                        }
                    }
                }
                std::vector<int> nkf = NkfGuesses(paths);
                size_t nkfRight = static_cast<size_t>(std::count(nkf.begin(), nkf.end(), code));
                for (const std::string& p : paths) unlink(p.c_str());
                double pct = 100.0 * static_cast<double>(right) / static_cast<double>(samples.size());
                double nkfPct = 100.0 * static_cast<double>(nkfRight) / static_cast<double>(samples.size());
                double goal = Goal(static_cast<Set>(set), static_cast<Code>(code), length);
                bool met = pct + 1e-9 >= goal;
                if (!met) ++missed;
                std::printf("%-22s %-12s %6zu %6zu %9.1f %9.1f %6.0f  %s\n", kSetNames[set], kCodeNames[code], length,
                            samples.size(), pct, nkfPct, goal, met ? "yes" : "NO");
            }
        }
    }
    rmdir(dir);
    std::printf("samples read as a Japanese code and converted: %zu; of those read as their own code, "
                "%zu do not read back as their text\n",
                checked, unread);
    std::printf("detection goals: %s\n", missed == 0 ? "all met" : "some missed (see NO above)");
    return unread == 0 ? 0 : 1;
}
