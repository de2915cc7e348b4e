#include "conv_test_support.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <gtest/gtest.h>

#include "kanjicode.h"
#include "kanjicode_plain.h"
#include "kanjicode_length.h"
#include "kanjicode_paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace convtest {

const Converter kConverters[4] = {
    {"ConvertToSjis", ConvertToSjis, plain::ConvertToSjis},
    {"ConvertJisText", ConvertJisText, plain::ConvertJisText},
    {"ConvertSjisText", ConvertSjisText, plain::ConvertSjisText},
    {"ConvertEucText", ConvertEucText, plain::ConvertEucText},
};

const Converter& ConverterFor(int kanjiCode)
{
    if (kanjiCode < KC_JIS || kanjiCode > KC_EUC)
        throw std::out_of_range("not a KanjiCode");
    return kConverters[1 + kanjiCode];
}

const char* KanjiCodeName(int code)
{
    switch (code) {
    case KC_JIS: return "KC_JIS";
    case KC_SJIS: return "KC_SJIS";
    case KC_EUC: return "KC_EUC";
    default: return "(not a KanjiCode)";
    }
}

std::string Hex(const Bytes& bytes, std::size_t limit)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    std::size_t shown = bytes.size() < limit ? bytes.size() : limit;
    s.reserve(shown * 3 + 32);
    for (std::size_t i = 0; i < shown; ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (i) s += ' ';
        s += kDigits[c >> 4];
        s += kDigits[c & 15];
    }
    if (bytes.empty()) s = "(empty)";
    if (shown < bytes.size())
        s += " ... (" + std::to_string(bytes.size()) + " bytes)";
    return s;
}

Bytes FromHex(const char* hex)
{
    Bytes out;
    int nibbles = 0;
    unsigned value = 0;
    for (const char* p = hex; *p; ++p) {
        char c = *p;
        unsigned v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c == ' ') continue;
        else throw std::invalid_argument(std::string("bad hex: ") + hex);
        value = value * 16 + v;
        if (++nibbles == 2) {
            out += static_cast<char>(value);
            nibbles = 0;
            value = 0;
        }
    }
    if (nibbles) throw std::invalid_argument(std::string("odd hex: ") + hex);
    return out;
}

// ---------------------------------------------------------------------------
// Guard pages

namespace {

std::size_t PageSize()
{
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
}

}  // namespace

GuardedRegion::GuardedRegion(std::size_t capacity)
{
    std::size_t page = PageSize();
    std::size_t dataPages = (capacity + page - 1) / page;
    if (dataPages == 0) dataPages = 1;
    mapped_ = (dataPages + 1) * page;
    capacity_ = dataPages * page;
#ifdef _WIN32
    void* p = VirtualAlloc(nullptr, mapped_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!p) throw std::runtime_error("VirtualAlloc failed");
    base_ = static_cast<char*>(p);
    DWORD old;
    if (!VirtualProtect(base_ + capacity_, page, PAGE_NOACCESS, &old))
        throw std::runtime_error("VirtualProtect failed");
#else
    void* p = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::runtime_error("mmap failed");
    base_ = static_cast<char*>(p);
    if (mprotect(base_ + capacity_, page, PROT_NONE) != 0)
        throw std::runtime_error("mprotect failed");
#endif
    end_ = base_ + capacity_;
}

GuardedRegion::~GuardedRegion()
{
#ifdef _WIN32
    VirtualFree(base_, 0, MEM_RELEASE);
#else
    munmap(base_, mapped_);
#endif
}

const char* PlaceFlush(GuardedRegion& region, const Bytes& text)
{
    if (text.size() + 1 > region.Capacity())
        throw std::length_error("text longer than its guarded region");
    char* start = region.End() - (text.size() + 1);
    std::memcpy(start, text.data(), text.size());
    start[text.size()] = '\0';
    return start;
}

Bytes Convert(ConvertFn fn, const Bytes& text)
{
    GuardedRegion in(text.size() + 1);
    std::string out(2 * text.size() + 1, '\x5A');
    fn(&out[0], PlaceFlush(in, text));
    return Bytes(out.c_str());
}

// ---------------------------------------------------------------------------
// Fault reporting: a fault ends the test process, so say which case it was.

namespace {

struct CrashContext {
    const char* label = nullptr;
    const char* text = nullptr;
    std::size_t length = 0;
    const char* function = nullptr;
};
CrashContext g_crash;
bool g_crashReporterInstalled = false;

// Formats without allocating: this runs inside a fault handler.
void WriteCrashReport()
{
    static char buf[4096];
    std::size_t n = 0;
    auto put = [&](const char* s) {
        while (s && *s && n < sizeof buf - 1) buf[n++] = *s++;
    };
    put("\n*** fault while converting");
    if (g_crash.function) { put(" with "); put(g_crash.function); }
    if (g_crash.label) { put(" ["); put(g_crash.label); put("]"); }
    put("\n*** input:");
    static const char kDigits[] = "0123456789ABCDEF";
    std::size_t shown = g_crash.length < 1000 ? g_crash.length : 1000;
    for (std::size_t i = 0; i < shown && n + 4 < sizeof buf; ++i) {
        auto c = static_cast<unsigned char>(g_crash.text[i]);
        buf[n++] = ' ';
        buf[n++] = kDigits[c >> 4];
        buf[n++] = kDigits[c & 15];
    }
    if (shown < g_crash.length) put(" ...");
    put("\n");
#ifdef _WIN32
    std::fwrite(buf, 1, n, stderr);
    std::fflush(stderr);
#else
    ssize_t ignored = write(2, buf, n);
    (void)ignored;
#endif
}

#ifdef _WIN32
LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS*)
{
    if (g_crash.text) WriteCrashReport();
    return EXCEPTION_CONTINUE_SEARCH;
}
#else
void OnFault(int sig)
{
    if (g_crash.text) WriteCrashReport();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}
#endif

void InstallCrashReporter()
{
    if (g_crashReporterInstalled) return;
    g_crashReporterInstalled = true;
#ifdef _WIN32
    SetUnhandledExceptionFilter(OnUnhandledException);
#else
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnFault;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGSEGV, &sa, nullptr);
    sigaction(SIGBUS, &sa, nullptr);
#endif
}

}  // namespace

CrashNote::CrashNote(const std::string& label, const Bytes& text)
{
    InstallCrashReporter();
    g_crash.label = label.c_str();
    g_crash.text = text.data();
    g_crash.length = text.size();
    g_crash.function = nullptr;
}

CrashNote::~CrashNote() { g_crash = CrashContext(); }

void CrashNote::Call(const char* function) { g_crash.function = function; }

// ---------------------------------------------------------------------------
// The contract checker

namespace {

constexpr std::size_t kCanary = 64;

unsigned char CanaryByte(std::size_t i, unsigned salt)
{
    // Never 0, so a missing terminator inside the output is seen too.
    return static_cast<unsigned char>(0x80 | ((i * 37 + salt * 11) & 0x7F)) | 1;
}

}  // namespace

ContractChecker::ContractChecker(std::size_t maxTextLength)
    : maxText_(maxTextLength),
      input_(maxTextLength + 1),
      output_(2 * maxTextLength + 1),
      canaryBuffer_(2 * maxTextLength + 1 + 2 * kCanary + 16, '\0')
{
}

std::string ContractChecker::RunOne(const Call& call, const char* fnName, const char* in,
                                    std::size_t n, unsigned salt, Bytes* result, Bytes* raw,
                                    std::size_t* length)
{
    CrashNote::Call(fnName);
    const std::size_t cap = 2 * n + 1;

    // The output's last allowed byte sits right before the guard page.
    char* out = output_.End() - cap;
    std::memset(out, 0xEE, cap);
    const std::size_t told = call(out, in, n);
    const void* nul = std::memchr(out, 0, cap);
    if (!nul)
        return std::string(fnName) + ": no NUL within 2n+1 = " + std::to_string(cap) +
               " bytes";
    if (told != kNoLength && (told >= cap || out[told] != 0))
        return std::string(fnName) + ": reports a length of " + std::to_string(told) +
               " for 2n+1 = " + std::to_string(cap) + " bytes, without a NUL there";
    *result = Bytes(out, static_cast<const char*>(nul) - out);
    if (raw) raw->assign(out, cap);
    if (length) *length = told;
    // What counts as the output: up to the reported length, else the first NUL.
    const std::size_t used = told != kNoLength ? told : result->size();

    // Canary pattern around the 2n+1 bytes, at a shifting alignment.
    char* base = &canaryBuffer_[0];
    const std::size_t shift = salt % 16;
    char* out2 = base + kCanary + shift;
    for (std::size_t i = 0; i < kCanary; ++i) {
        out2[-1 - static_cast<long>(i)] = static_cast<char>(CanaryByte(i, salt));
        out2[cap + i] = static_cast<char>(CanaryByte(i, salt + 1));
    }
    std::memset(out2, 0xEE, cap);
    const std::size_t told2 = call(out2, in, n);
    for (std::size_t i = 0; i < kCanary; ++i) {
        if (static_cast<unsigned char>(out2[-1 - static_cast<long>(i)]) != CanaryByte(i, salt))
            return std::string(fnName) + ": wrote " + std::to_string(i + 1) +
                   " bytes before its output";
        if (static_cast<unsigned char>(out2[cap + i]) != CanaryByte(i, salt + 1))
            return std::string(fnName) + ": wrote past its 2n+1 = " + std::to_string(cap) +
                   " bytes, at offset " + std::to_string(cap + i);
    }
    if (told2 != told || std::memcmp(out, out2, used + 1) != 0)
        return std::string(fnName) + ": two runs over the same input differ: " +
               Hex(Bytes(out, used + 1), 64) + " / " + Hex(Bytes(out2, used + 1), 64);
    return std::string();
}

namespace {

using kanji::BlockPath;

struct PathInfo {
    BlockPath path;
    const char* name;
};

const PathInfo kPaths[] = {
    {BlockPath::kNone, "no blocks"},
    {BlockPath::kSse2, "SSE2 blocks"},
    {BlockPath::kAvx2, "AVX2 blocks"},
    {BlockPath::kAvx512, "AVX-512 blocks"},
};
constexpr int kPathCount = 4;

}  // namespace

std::string ContractChecker::Check(const Bytes& text, const std::string& label)
{
    if (text.size() > maxText_) throw std::length_error("text longer than the checker's");
    CrashNote note(label, text);
    const char* in = PlaceFlush(input_, text);
    const std::size_t n = std::strlen(in);
    const unsigned salt = static_cast<unsigned>(text.size() * 7 + n);

    auto fail = [&](const std::string& what) {
        return label + ": " + what + "\n  input: " + Hex(text) + " (n = " +
               std::to_string(n) + ")";
    };

    CrashNote::Call("DetectKanjiCode");
    int code = DetectKanjiCode(in);
    CrashNote::Call("plain::DetectKanjiCode");
    int plainCode = plain::DetectKanjiCode(in);
    lastCode_ = plainCode;
    if (code != plainCode)
        return fail(std::string("DetectKanjiCode gives ") + KanjiCodeName(code) +
                    ", plain::DetectKanjiCode gives " + KanjiCodeName(plainCode));
    if (code < KC_JIS || code > KC_EUC)
        return fail("DetectKanjiCode gives " + std::to_string(code));

    static std::string plainNames[kConverterCount];
    static std::string pathNames[kPathCount][3];
    static std::string pieceNames[kPathCount][4];
    if (plainNames[0].empty()) {
        for (int i = 0; i < kConverterCount; ++i)
            plainNames[i] = std::string("plain::") + kConverters[i].name;
        for (int p = 0; p < kPathCount; ++p) {
            for (int c = 0; c < 3; ++c)
                pathNames[p][c] = std::string(ConverterFor(c).name) + " on " + kPaths[p].name;
            for (int c = 0; c < 4; ++c)
                pieceNames[p][c] = std::string(kConverters[c].name) + " in pieces on " + kPaths[p].name;
        }
    }

    auto plainCall = [](ConvertFn fn) {
        return [fn](char* out, const char* src, std::size_t) {
            fn(out, src);
            return kNoLength;
        };
    };

    // The public converters, fast and plain; the plain outputs are kept whole
    // (all 2n+1 bytes) to hold the lengths reported below against.
    Bytes plainRaw[kConverterCount];
    for (int i = 0; i < kConverterCount; ++i) {
        const Converter& c = kConverters[i];
        Bytes fast, ref;
        std::string err = RunOne(plainCall(c.fast), c.name, in, n, salt + i, &fast, nullptr, nullptr);
        if (err.empty())
            err = RunOne(plainCall(c.plain), plainNames[i].c_str(), in, n, salt + 5 * i, &ref,
                         &plainRaw[i], nullptr);
        if (!err.empty()) return fail(err);
        if (fast != ref)
            return fail(std::string(c.name) + " differs from plain::" + c.name +
                        "\n  fast:  " + Hex(fast) + "\n  plain: " + Hex(ref));
        last_[i] = std::move(ref);
    }
    if (last_[0] != last_[1 + code])
        return fail(std::string("ConvertToSjis differs from ") + ConverterFor(code).name +
                    " (detected " + KanjiCodeName(code) + ")\n  ConvertToSjis: " +
                    Hex(last_[0]) + "\n  direct:        " + Hex(last_[1 + code]));

    // Whole outputs, up to the length reported (a converted pair may itself
    // be 00, so the first NUL need not be the end): every block path this
    // machine has, and ConvertToSjisLength, against the plain converter.
    auto checkWhole = [&](const char* name, const Bytes& got, std::size_t length,
                          const Bytes& ref) -> std::string {
        if (ref.compare(0, length + 1, got, 0, length + 1) != 0)
            return fail(std::string(name) + " differs from the plain converter over its " +
                        std::to_string(length) + " bytes\n  fast:  " +
                        Hex(got.substr(0, length + 1)) +
                        "\n  plain: " + Hex(ref.substr(0, length + 1)));
        return std::string();
    };
    for (int p = 0; p < kPathCount; ++p) {
        if (!kanji::HasBlockPath(kPaths[p].path)) continue;
        for (int c = KC_JIS; c <= KC_EUC; ++c) {
            BlockPath path = kPaths[p].path;
            Bytes got, raw;
            std::size_t length = 0;
            std::string err = RunOne(
                [path, c](char* out, const char* src, std::size_t len) {
                    return kanji::ConvertOn(path, c, out, src, len);
                },
                pathNames[p][c].c_str(), in, n, salt + 3 * p + c, &got, &raw, &length);
            if (err.empty()) err = checkWhole(pathNames[p][c].c_str(), raw, length, plainRaw[1 + c]);
            if (!err.empty()) return fail(err);
        }
    }
    // The converters as they take a text of unknown length, a piece at a
    // time up to its NUL: pieces of a size that changes from input to input,
    // from the smallest there is to a few blocks, so that piece ends fall on
    // every kind of unit, sequence and block edge.
    const std::size_t piece = kanji::kMinPieceSize + salt * 37 % 193;
    for (int p = 0; p < kPathCount; ++p) {
        if (!kanji::HasBlockPath(kPaths[p].path)) continue;
        for (int c = 0; c < kConverterCount; ++c) {
            BlockPath path = kPaths[p].path;
            int code = c == 0 ? kanji::kDetectCode : c - 1;
            Bytes got, raw;
            std::size_t length = 0;
            std::string err = RunOne(
                [path, code, piece](char* out, const char* src, std::size_t) {
                    return kanji::ConvertTextOn(path, code, out, src, piece);
                },
                pieceNames[p][c].c_str(), in, n, salt + 7 * p + c, &got, &raw, &length);
            if (err.empty()) err = checkWhole(pieceNames[p][c].c_str(), raw, length, plainRaw[c]);
            if (!err.empty()) return fail(err + " (pieces of " + std::to_string(piece) + " bytes)");
        }
    }
    {
        Bytes got, raw;
        std::size_t length = 0;
        std::string err = RunOne(
            [](char* out, const char* src, std::size_t len) {
                return ConvertToSjisLength(out, src, len);
            },
            "ConvertToSjisLength", in, n, salt + 17, &got, &raw, &length);
        if (err.empty()) err = checkWhole("ConvertToSjisLength", raw, length, plainRaw[0]);
        if (!err.empty()) return fail(err);
    }
    return std::string();
}

// ---------------------------------------------------------------------------

std::uint64_t TestSeed(std::uint64_t fixed)
{
    const char* env = std::getenv("RUVOK_TEST_SEED");
    if (env && *env) return std::strtoull(env, nullptr, 0) ^ fixed;
    return fixed;
}

FailureLog::~FailureLog()
{
    if (count_ > keep_)
        ADD_FAILURE() << "... and " << (count_ - keep_) << " more failures like these ("
                      << count_ << " in all)";
}

void FailureLog::Add(const std::string& message)
{
    if (++count_ <= keep_) ADD_FAILURE() << message;
}

}  // namespace convtest
