// Code page 932's mapping asked of ICU once a process (see cp932tables.h):
// every byte and pair decoded, every character encoded back, the duplicate
// codes numbered by their selectors, and the Linux forms' codes added.
#include "cp932tables.h"

#include "cp932_forms.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <memory>

namespace cp932 {
namespace {

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

}  // namespace

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
    // Decoding gives the code page's own character for a Linux form's
    // code, so a text read and written again keeps its bytes.
    for (const Cp932LinuxForm& form : kCp932LinuxForms) {
        if (code[form.linuxForm] != 0)
            continue;  // the code page has the character itself
        code[form.linuxForm] = form.code;
        bestFit[form.linuxForm] = true;
    }
}

const Tables& GetTables()
{
    static const Tables tables;
    return tables;
}

}  // namespace cp932
