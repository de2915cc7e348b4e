// Shared pieces of the conversion tests: byte texts as hex, buffers that end
// flush against an inaccessible page, the list of converters (fast and plain),
// and the one checker that every property test runs each input through.
#ifndef RUVOK_TESTS_CONV_TEST_SUPPORT_H
#define RUVOK_TESTS_CONV_TEST_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

namespace convtest {

// A byte text without its terminator. std::string keeps any byte, NUL included.
using Bytes = std::string;

// "61 0D 0A" from the bytes; long texts are cut after `limit` bytes.
std::string Hex(const Bytes& bytes, std::size_t limit = 512);
// The bytes of "61 0D 0A" (blanks between the pairs are optional).
Bytes FromHex(const char* hex);

using ConvertFn = void (*)(char* out, const char* in);
using DetectFn = int (*)(const char* text);

struct Converter {
    const char* name;
    ConvertFn fast;
    ConvertFn plain;
};

// ConvertToSjis first, then the three converters in KanjiCode order
// (JIS, SJIS, EUC), so kConverters[1 + code] is the converter for `code`.
extern const Converter kConverters[4];
constexpr int kConverterCount = 4;
const Converter& ConverterFor(int kanjiCode);
const char* KanjiCodeName(int code);

// A writable region whose last byte sits right before a page that can be
// neither read nor written. Any access one byte past End() faults.
class GuardedRegion {
public:
    explicit GuardedRegion(std::size_t capacity);
    ~GuardedRegion();
    GuardedRegion(const GuardedRegion&) = delete;
    GuardedRegion& operator=(const GuardedRegion&) = delete;

    char* End() const { return end_; }
    std::size_t Capacity() const { return capacity_; }

private:
    char* base_ = nullptr;
    char* end_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t mapped_ = 0;
};

// Names the case being run, so that a fault (which ends the process) still
// says which input caused it. The strings must outlive the note; the fault
// reporter is installed on first use.
class CrashNote {
public:
    CrashNote(const std::string& label, const Bytes& text);
    ~CrashNote();
    static void Call(const char* function);
};

// Runs one text through every converter, fast and plain, and through both
// detectors, with the input's NUL as the last byte before a guard page:
//  - the output is NUL-terminated within 2n+1 bytes, with the output buffer
//    also ending flush against a guard page at exactly 2n+1 bytes;
//  - with a canary pattern around a 2n+1 byte output, nothing outside it
//    changes;
//  - fast and plain agree byte for byte, and ConvertToSjis equals the
//    converter that the detected code selects;
//  - every block path this machine has, and ConvertToSjisLength, give the
//    plain output over the whole length they report (which may hold a 00
//    from a converted pair), with a NUL right after it.
// `text` may hold a NUL: the conversion must then stop there.
class ContractChecker {
public:
    explicit ContractChecker(std::size_t maxTextLength);

    // Returns an empty string when every check holds, else what failed.
    // `label` names the input in the message (seed, index, generator).
    std::string Check(const Bytes& text, const std::string& label);

    // The converted bytes (before the NUL) of the last Check, per converter.
    const Bytes& LastOutput(int converter) const { return last_[converter]; }
    int LastCode() const { return lastCode_; }

private:
    // Runs one conversion into `out` and returns the output length it
    // reports, or kNoLength when it reports none.
    using Call = std::function<std::size_t(char* out, const char* in, std::size_t n)>;
    static constexpr std::size_t kNoLength = static_cast<std::size_t>(-1);

    std::string RunOne(const Call& call, const char* fnName, const char* in, std::size_t n,
                       unsigned salt, Bytes* result, Bytes* raw, std::size_t* length);

    std::size_t maxText_;
    GuardedRegion input_;
    GuardedRegion output_;
    std::string canaryBuffer_;
    Bytes last_[kConverterCount];
    int lastCode_ = -1;
};

// Places `text` and its NUL so that the NUL is the last byte before the
// region's guard page, and returns the start of the text.
const char* PlaceFlush(GuardedRegion& region, const Bytes& text);

// Runs `fn` on `text` (placed flush against a guard page) with a generous
// output buffer and returns the bytes before the NUL.
Bytes Convert(ConvertFn fn, const Bytes& text);

// The seed for a random test: fixed, or RUVOK_TEST_SEED when it is set.
std::uint64_t TestSeed(std::uint64_t fixed);

// Collects failures and reports only the first few, with a count at the end,
// so a broken converter does not print a million lines.
class FailureLog {
public:
    explicit FailureLog(int keep = 8) : keep_(keep) {}
    ~FailureLog();
    void Add(const std::string& message);
    int Count() const { return count_; }

private:
    int keep_;
    int count_ = 0;
};

}  // namespace convtest

#endif
