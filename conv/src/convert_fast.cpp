// The converters as the programs call them: block converters for the longest
// runs that need no decision, the one-unit steps for the rest. The blocks use
// AVX-512 or AVX2 where the processor has it, SSE2 on any other x86-64, and
// nothing on other targets, where the one-unit steps do all the work.
#include <cstddef>
#include <cstring>

#include "detect.h"
#include "kanjicode.h"
#include "kanjicode_length.h"
#include "kanjicode_paths.h"
#include "kanjicode_stream.h"
#include "simd.h"
#include "state.h"
#include "units.h"

#if RUVOK_HAVE_SSE2
#include "blocks.h"
#include "vec_sse2.h"
#endif

namespace kanji {

#if RUVOK_HAVE_SSE2
void PairBlocksSse2(PairState& s, PairKind kind) {
    if (kind == PairKind::kEuc)
        PairBlocks<Sse2, PairKind::kEuc>(s);
    else
        PairBlocks<Sse2, PairKind::kCopy>(s);
}

void JisBlocksSse2(JisState& s) { JisBlocks<Sse2>(s); }
#endif

namespace {

bool HaveAvx2() {
#if RUVOK_HAVE_AVX2
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

bool HaveAvx512() {
#if RUVOK_HAVE_AVX512
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
           __builtin_cpu_supports("bmi2");
#else
    return false;
#endif
}

// The widest blocks that both the build and the processor have.
BlockPath BestPath() {
    static const bool avx512 = HaveAvx512();
    if (avx512) return BlockPath::kAvx512;
    if (HaveAvx2()) return BlockPath::kAvx2;
    return RUVOK_HAVE_SSE2 ? BlockPath::kSse2 : BlockPath::kNone;
}

// Runs the blocks of `path`, then the one-unit steps, from s.p to where the
// text or the piece ends.
void RunPairs(PairState& s, PairKind kind, [[maybe_unused]] BlockPath path) {
    if (s.p == s.end) return;
#if RUVOK_HAVE_AVX512
    if (path == BlockPath::kAvx512) PairBlocksAvx512(s, kind);
#endif
#if RUVOK_HAVE_AVX2
    if (path == BlockPath::kAvx2 || path == BlockPath::kAvx512) PairBlocksAvx2(s, kind);
#endif
#if RUVOK_HAVE_SSE2
    if (path != BlockPath::kNone) PairBlocksSse2(s, kind);
#endif
    if (kind == PairKind::kEuc) {
        while (s.p != s.end && PairUnit<PairKind::kEuc>(s)) {
        }
    } else {
        while (s.p != s.end && PairUnit<PairKind::kCopy>(s)) {
        }
    }
}

void RunJis(JisState& s, [[maybe_unused]] BlockPath path) {
    if (s.p == s.end) return;
#if RUVOK_HAVE_AVX512
    if (path == BlockPath::kAvx512) JisBlocksAvx512(s);
#endif
#if RUVOK_HAVE_AVX2
    if ((path == BlockPath::kAvx2 || path == BlockPath::kAvx512) && s.p != s.end) JisBlocksAvx2(s);
#endif
#if RUVOK_HAVE_SSE2
    if (path != BlockPath::kNone && s.p != s.end) JisBlocksSse2(s);
#endif
    while (s.p != s.end && JisUnit(s)) {
    }
}

std::size_t ConvertPairs(Byte* out, const Byte* in, std::size_t n, PairKind kind, BlockPath path) {
    PairState s{in, in + n, out, 0, true};
    RunPairs(s, kind, path);
    *s.o = 0;
    return static_cast<std::size_t>(s.o - out);
}

std::size_t ConvertJis(Byte* out, const Byte* in, std::size_t n, BlockPath path) {
    JisState s{in, in + n, out, 0, kAsciiMode, true};
    RunJis(s, path);
    *s.o = 0;
    return static_cast<std::size_t>(s.o - out);
}

const Byte* Bytes(const char* p) { return reinterpret_cast<const Byte*>(p); }
Byte* Bytes(char* p) { return reinterpret_cast<Byte*>(p); }

}  // namespace
}  // namespace kanji

namespace kanji {

bool HasBlockPath(BlockPath path) {
    if (path == BlockPath::kAvx2) return HaveAvx2();
    if (path == BlockPath::kAvx512) return HaveAvx512();
    return path == BlockPath::kNone || RUVOK_HAVE_SSE2;
}

std::size_t ConvertOn(BlockPath path, int code, char* out, const char* in, std::size_t n) {
    if (!HasBlockPath(path)) path = BlockPath::kNone;
    switch (code) {
    case KC_JIS: return ConvertJis(Bytes(out), Bytes(in), n, path);
    case KC_EUC: return ConvertPairs(Bytes(out), Bytes(in), n, PairKind::kEuc, path);
    default: return ConvertPairs(Bytes(out), Bytes(in), n, PairKind::kCopy, path);
    }
}

}  // namespace kanji

namespace kanji {

std::size_t ConvertPieceOn(BlockPath path, SjisStream& stream, char* out, const char* in, std::size_t n,
                           bool textEnds, std::size_t* used) {
    if (!HasBlockPath(path)) path = BlockPath::kNone;
    const Byte* p = Bytes(in);
    Byte* o = Bytes(out);
    if (stream.code == KC_JIS) {
        JisState s{p, p + n, o, stream.prev, stream.mode, textEnds};
        RunJis(s, path);
        stream.prev = s.prev;
        stream.mode = s.mode;
        *used = static_cast<std::size_t>(s.p - p);
        return static_cast<std::size_t>(s.o - o);
    }
    PairState s{p, p + n, o, stream.prev, textEnds};
    RunPairs(s, stream.code == KC_EUC ? PairKind::kEuc : PairKind::kCopy, path);
    stream.prev = s.prev;
    *used = static_cast<std::size_t>(s.p - p);
    return static_cast<std::size_t>(s.o - o);
}

namespace {

// The NUL within the `size` bytes from `p`, or null. memchr stops at the
// first match, so nothing past the NUL is read.
const char* FindNul(const char* p, std::size_t size) { return static_cast<const char*>(std::memchr(p, 0, size)); }

// The code DetectKanjiCode gives, found a piece at a time.
int DetectInPieces(const char* in, std::size_t pieceSize) {
    KanjiDetector detector;
    StartKanjiDetector(&detector);
    for (const char* p = in;;) {
        const char* nul = FindNul(p, pieceSize);
        std::size_t n = nul ? static_cast<std::size_t>(nul - p) : pieceSize;
        std::size_t used = 0;
        int code = DetectInPiece(&detector, p, n, &used);
        if (code >= 0) return code;
        if (nul) return FinishDetector(&detector, p + used, n - used);
        p += used;
    }
}

// The widest blocks of `path` alone, or the one-unit steps where it has
// none, until less than a block is left before s.end (the end of the bytes
// known to hold no NUL, more of which follow): the rest waits for more.
void RunPairBlocks(PairState& s, PairKind kind, [[maybe_unused]] BlockPath path) {
#if RUVOK_HAVE_AVX512
    if (path == BlockPath::kAvx512) return PairBlocksAvx512(s, kind);
#endif
#if RUVOK_HAVE_AVX2
    if (path == BlockPath::kAvx2) return PairBlocksAvx2(s, kind);
#endif
#if RUVOK_HAVE_SSE2
    if (path == BlockPath::kSse2) return PairBlocksSse2(s, kind);
#endif
    RunPairs(s, kind, BlockPath::kNone);
}

void RunJisBlocks(JisState& s, [[maybe_unused]] BlockPath path) {
#if RUVOK_HAVE_AVX512
    if (path == BlockPath::kAvx512) return JisBlocksAvx512(s);
#endif
#if RUVOK_HAVE_AVX2
    if (path == BlockPath::kAvx2) return JisBlocksAvx2(s);
#endif
#if RUVOK_HAVE_SSE2
    if (path == BlockPath::kSse2) return JisBlocksSse2(s);
#endif
    RunJis(s, BlockPath::kNone);
}

static_assert(kFetchAhead == kPieceSize, "the blocks fetch the piece after theirs");

}  // namespace

std::size_t ConvertTextOn(BlockPath path, int code, char* out, const char* in, std::size_t pieceSize) {
    if (!HasBlockPath(path)) path = BlockPath::kNone;
    if (pieceSize < kMinPieceSize) pieceSize = kMinPieceSize;
    if (code == kDetectCode) code = DetectInPieces(in, pieceSize);
    const Byte* p = Bytes(in);
    Byte* o = Bytes(out);
    // The state's end moves on a piece at a time while no NUL is found; the
    // blocks run up to it, and the last piece, up to the NUL, as a whole text.
    if (code == KC_JIS) {
        JisState s{p, p, o, 0, kAsciiMode, false};
        for (;;) {
            if (const char* nul = FindNul(reinterpret_cast<const char*>(s.end), pieceSize)) {
                s.end = Bytes(nul);
                s.textEnds = true;
                RunJis(s, path);
                break;
            }
            s.end += pieceSize;
            RunJisBlocks(s, path);
        }
        *s.o = 0;
        return static_cast<std::size_t>(s.o - o);
    }
    PairKind kind = code == KC_EUC ? PairKind::kEuc : PairKind::kCopy;
    PairState s{p, p, o, 0, false};
    for (;;) {
        if (const char* nul = FindNul(reinterpret_cast<const char*>(s.end), pieceSize)) {
            s.end = Bytes(nul);
            s.textEnds = true;
            RunPairs(s, kind, path);
            break;
        }
        s.end += pieceSize;
        RunPairBlocks(s, kind, path);
    }
    *s.o = 0;
    return static_cast<std::size_t>(s.o - o);
}

}  // namespace kanji

void ConvertSjisText(char* out, const char* in) {
    kanji::ConvertTextOn(kanji::BestPath(), KC_SJIS, out, in, kanji::kPieceSize);
}

void ConvertEucText(char* out, const char* in) {
    kanji::ConvertTextOn(kanji::BestPath(), KC_EUC, out, in, kanji::kPieceSize);
}

void ConvertJisText(char* out, const char* in) {
    kanji::ConvertTextOn(kanji::BestPath(), KC_JIS, out, in, kanji::kPieceSize);
}

std::size_t ConvertToSjisLength(char* out, const char* in, std::size_t n) {
    int code = kanji::DetectKanjiCodeN(reinterpret_cast<const unsigned char*>(in), n);
    return kanji::ConvertOn(kanji::BestPath(), code, out, in, n);
}

void ConvertToSjis(char* out, const char* in) {
    kanji::ConvertTextOn(kanji::BestPath(), kanji::kDetectCode, out, in, kanji::kPieceSize);
}

void StartSjisStream(SjisStream* stream, int code) {
    stream->code = code == KC_JIS || code == KC_EUC ? code : KC_SJIS;
    stream->prev = 0;
    stream->mode = kanji::kAsciiMode;
}

std::size_t ConvertSjisPiece(SjisStream* stream, char* out, const char* in, std::size_t n, std::size_t* used) {
    return kanji::ConvertPieceOn(kanji::BestPath(), *stream, out, in, n, false, used);
}

std::size_t FinishSjisStream(SjisStream* stream, char* out, const char* in, std::size_t n) {
    std::size_t used = 0;
    return kanji::ConvertPieceOn(kanji::BestPath(), *stream, out, in, n, true, &used);
}
