// libFuzzer target for the conversion routines. The first byte picks what to
// run; the rest is the text. The text and every output live in heap blocks of
// exactly their allowed size (n+1 with the NUL; 2n+1 for output), so that
// AddressSanitizer reports any read past the terminator or write past 2n+1.
// The fast routines, and each block path on its own, are compared byte for
// byte with the plain ones, and the text in pieces with the whole.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "kanjicode.h"
#include "kanjicode_length.h"
#include "kanjicode_paths.h"
#include "kanjicode_plain.h"
#include "kanjicode_stream.h"

namespace {

using ConvertFn = void (*)(char*, const char*);

struct Converter {
    const char* name;
    ConvertFn fast;
    ConvertFn plain;
};

const Converter kConverters[] = {
    {"ConvertToSjis", ConvertToSjis, plain::ConvertToSjis},
    {"ConvertJisText", ConvertJisText, plain::ConvertJisText},
    {"ConvertSjisText", ConvertSjisText, plain::ConvertSjisText},
    {"ConvertEucText", ConvertEucText, plain::ConvertEucText},
};

void PrintHex(const char* what, const char* p, std::size_t n)
{
    std::fprintf(stderr, "%s (%zu bytes):", what, n);
    for (std::size_t i = 0; i < n && i < 256; ++i)
        std::fprintf(stderr, " %02X", static_cast<unsigned char>(p[i]));
    std::fprintf(stderr, n > 256 ? " ...\n" : "\n");
}

[[noreturn]] void Fail(const char* what, const char* text, std::size_t n)
{
    std::fprintf(stderr, "conv_fuzz: %s\n", what);
    PrintHex("input", text, n);
    std::abort();
}

// Runs `fn` into an exact 2n+1 block and returns the block; the converted
// text must end with a NUL inside it.
std::unique_ptr<char[]> Run(ConvertFn fn, const char* name, const char* text, std::size_t n)
{
    const std::size_t cap = 2 * n + 1;
    std::unique_ptr<char[]> out(new char[cap]);
    std::memset(out.get(), 0xEE, cap);
    fn(out.get(), text);
    if (!std::memchr(out.get(), 0, cap)) {
        std::fprintf(stderr, "conv_fuzz: %s wrote no NUL within 2n+1 bytes\n", name);
        Fail("missing terminator", text, n);
    }
    return out;
}

void CompareOutputs(const char* what, const char* a, const char* b, const char* text,
                    std::size_t n)
{
    if (std::strcmp(a, b) == 0) return;
    std::fprintf(stderr, "conv_fuzz: %s\n", what);
    PrintHex("first ", a, std::strlen(a));
    PrintHex("second", b, std::strlen(b));
    Fail("outputs differ", text, n);
}

void FuzzWholeOutputs(int code, const char* text, std::size_t n);

void FuzzConverter(const Converter& c, const char* text, std::size_t n)
{
    auto fast = Run(c.fast, c.name, text, n);
    auto ref = Run(c.plain, c.name, text, n);
    CompareOutputs(c.name, fast.get(), ref.get(), text, n);
    if (c.fast == ConvertToSjis) {
        int code = plain::DetectKanjiCode(text);
        if (code < KC_JIS || code > KC_EUC) Fail("DetectKanjiCode out of range", text, n);
        const Converter& direct = kConverters[1 + code];
        auto viaDirect = Run(direct.fast, direct.name, text, n);
        CompareOutputs("ConvertToSjis against the converter of the detected code", fast.get(),
                       viaDirect.get(), text, n);
        std::unique_ptr<char[]> out(new char[2 * n + 1]);
        std::memset(out.get(), 0xEE, 2 * n + 1);
        std::size_t length = ConvertToSjisLength(out.get(), text, n);
        if (length > 2 * n || out[length] != 0 || std::memcmp(out.get(), ref.get(), length + 1) != 0)
            Fail("ConvertToSjisLength differs from plain::ConvertToSjis", text, n);
    } else {
        FuzzWholeOutputs(static_cast<int>(&c - kConverters) - 1, text, n);
    }
}

// Every block path this machine has, on the text's length and a piece at a
// time, and ConvertToSjisLength, over the whole length they report (a
// converted pair may itself be 00), against the plain converter's output.
void FuzzWholeOutputs(int code, const char* text, std::size_t n)
{
    const Converter& ref = kConverters[1 + code];
    auto plainOut = Run(ref.plain, ref.name, text, n);
    auto check = [&](const char* what, const char* out, std::size_t length) {
        if (length > 2 * n || out[length] != 0) {
            std::fprintf(stderr, "conv_fuzz: %s reports length %zu for n = %zu\n", what, length, n);
            Fail("bad length", text, n);
        }
        if (std::memcmp(out, plainOut.get(), length + 1) != 0) {
            std::fprintf(stderr, "conv_fuzz: %s differs from %s\n", what, ref.name);
            PrintHex("fast ", out, length + 1);
            PrintHex("plain", plainOut.get(), length + 1);
            Fail("whole outputs differ", text, n);
        }
    };
    const kanji::BlockPath paths[] = {kanji::BlockPath::kNone, kanji::BlockPath::kSse2,
                                      kanji::BlockPath::kAvx2, kanji::BlockPath::kAvx512};
    for (kanji::BlockPath path : paths) {
        if (!kanji::HasBlockPath(path)) continue;
        std::unique_ptr<char[]> out(new char[2 * n + 1]);
        std::memset(out.get(), 0xEE, 2 * n + 1);
        check("a block path", out.get(), kanji::ConvertOn(path, code, out.get(), text, n));
        // The same up to the NUL a piece at a time, in pieces of a size
        // that changes with the text.
        std::memset(out.get(), 0xEE, 2 * n + 1);
        const std::size_t piece = kanji::kMinPieceSize + n % 97;
        check("a block path in pieces", out.get(), kanji::ConvertTextOn(path, code, out.get(), text, piece));
    }
}

void FuzzPairs(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return;
    std::unique_ptr<char[]> in(new char[2]), out(new char[2]);
    std::memcpy(in.get(), data, 2);
    JisPairToSjis(out.get(), in.get());
    std::unique_ptr<char[]> same(new char[2]);
    std::memcpy(same.get(), data, 2);
    JisPairToSjis(same.get(), same.get());
    if (std::memcmp(out.get(), same.get(), 2) != 0)
        Fail("JisPairToSjis in place differs", in.get(), 2);
    EucPairToJis(out.get(), in.get());
    if (static_cast<unsigned char>(out[0]) != static_cast<unsigned char>(data[0] - 0x80) ||
        static_cast<unsigned char>(out[1]) != static_cast<unsigned char>(data[1] - 0x80))
        Fail("EucPairToJis is not the subtraction of 0x80", in.get(), 2);
}

// The text in pieces of `size` bytes, each in a heap block of exactly its
// length (so that reading past a piece is reported), against the whole
// text's conversion and detection.
void FuzzPieces(const char* text, std::size_t n, std::size_t size)
{
    std::unique_ptr<char[]> whole(new char[2 * n + 1]);
    std::size_t wholeLength = ConvertToSjisLength(whole.get(), text, n);
    const int code = plain::DetectKanjiCode(text);
    SjisStream stream;
    StartSjisStream(&stream, code);
    KanjiDetector detector;
    StartKanjiDetector(&detector);
    int detected = -1;
    std::string out, pending, detectPending;
    for (std::size_t from = 0; from < n; from += size) {
        std::size_t take = n - from < size ? n - from : size;
        if (from + take == n) break;  // the last piece ends the text
        std::string piece = pending + std::string(text + from, take);
        std::unique_ptr<char[]> in(new char[piece.size()]);
        std::memcpy(in.get(), piece.data(), piece.size());
        std::unique_ptr<char[]> buf(new char[2 * piece.size() + 1]);
        std::size_t used = 0;
        out.append(buf.get(), ConvertSjisPiece(&stream, buf.get(), in.get(), piece.size(), &used));
        if (used > piece.size() || piece.size() - used > 3) Fail("a piece left more than a unit", text, n);
        pending = piece.substr(used);
        if (detected < 0) {
            std::string d = detectPending + std::string(text + from, take);
            std::unique_ptr<char[]> din(new char[d.size()]);
            std::memcpy(din.get(), d.data(), d.size());
            detected = DetectInPiece(&detector, din.get(), d.size(), &used);
            detectPending = d.substr(used);
        }
    }
    std::size_t last = n - (n == 0 ? 0 : (n - 1) / size * size);
    std::string tail = pending + std::string(text + n - last, last);
    std::unique_ptr<char[]> in(new char[tail.size() + 1]);
    std::memcpy(in.get(), tail.data(), tail.size());
    in[tail.size()] = '\0';
    std::unique_ptr<char[]> buf(new char[2 * tail.size() + 1]);
    out.append(buf.get(), FinishSjisStream(&stream, buf.get(), in.get(), tail.size()));
    if (out != std::string(whole.get(), wholeLength)) Fail("pieces differ from the whole text's conversion", text, n);
    if (detected < 0) {
        std::string d = detectPending + std::string(text + n - last, last);
        std::unique_ptr<char[]> din(new char[d.size() + 1]);
        std::memcpy(din.get(), d.data(), d.size());
        din[d.size()] = '\0';
        detected = FinishDetector(&detector, din.get(), d.size());
    }
    if (detected != code) Fail("detection over pieces differs", text, n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const unsigned selector = data[0];
    const std::uint8_t* body = data + 1;
    const std::size_t bodySize = size - 1;

    std::unique_ptr<char[]> text(new char[bodySize + 1]);
    std::memcpy(text.get(), body, bodySize);
    text[bodySize] = '\0';
    const std::size_t n = std::strlen(text.get());

    switch (selector % 9) {
    case 0: case 1: case 2:  // most of the time the whole road, as the programs take it
        FuzzConverter(kConverters[0], text.get(), n);
        break;
    case 3: FuzzConverter(kConverters[1], text.get(), n); break;
    case 4: FuzzConverter(kConverters[2], text.get(), n); break;
    case 5: FuzzConverter(kConverters[3], text.get(), n); break;
    case 6:
        if (DetectKanjiCode(text.get()) != plain::DetectKanjiCode(text.get()))
            Fail("DetectKanjiCode differs from plain::DetectKanjiCode", text.get(), n);
        break;
    case 7: FuzzPairs(body, bodySize); break;
    case 8: FuzzPieces(text.get(), n, 1 + selector / 9 % 24); break;
    }
    return 0;
}
