// The buffer contract over exhaustive and random inputs: every output ends
// with a NUL within 2n+1 bytes, nothing is written past them, nothing is read
// past the input's terminator (the input's NUL and the output's last allowed
// byte sit right before guard pages), and the fast routines equal the plain
// ones byte for byte. See ContractChecker.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "conv_test_support.h"
#include "text_maker.h"

namespace convtest {
namespace {

std::string Label(const char* what, std::uint64_t seed, std::size_t index)
{
    return std::string(what) + " seed " + std::to_string(seed) + " #" + std::to_string(index);
}

// The guard pages are what proves that nothing is read or written past the
// end; make sure touching the byte after a region really ends the process.
TEST(GuardedRegionDeathTest, ByteAfterTheEndFaults)
{
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    GuardedRegion region(100);
    volatile char* last = region.End() - 1;
    *last = 'x';  // the last byte is ours
    EXPECT_EQ(*last, 'x');
    EXPECT_DEATH({ char c = last[1]; (void)c; }, "");
    EXPECT_DEATH({ last[1] = 'x'; }, "");
}

TEST(Exhaustive, EveryOneAndTwoByteText)
{
    ContractChecker checker(8);
    FailureLog log;
    std::string label = "one or two bytes";
    for (int a = 1; a < 256; ++a) {
        Bytes one(1, static_cast<char>(a));
        std::string err = checker.Check(one, label);
        if (!err.empty()) log.Add(err);
        for (int b = 1; b < 256; ++b) {
            Bytes two{static_cast<char>(a), static_cast<char>(b)};
            err = checker.Check(two, label);
            if (!err.empty()) log.Add(err);
        }
    }
    EXPECT_EQ(log.Count(), 0);
}

// Every ESC x y, and every two bytes after ESC $ B and after ESC ( B: all the
// ways an escape can be cut, recognised or not, and every pair in kanji mode.
TEST(Exhaustive, EveryThreeByteTextFromEsc)
{
    ContractChecker checker(8);
    FailureLog log;
    std::string label = "ESC x y";
    for (int a = 1; a < 256; ++a)
        for (int b = 1; b < 256; ++b) {
            Bytes text{'\x1b', static_cast<char>(a), static_cast<char>(b)};
            std::string err = checker.Check(text, label);
            if (!err.empty()) log.Add(err);
        }
    EXPECT_EQ(log.Count(), 0);
}

TEST(Exhaustive, EveryPairAfterAnEscapeSequence)
{
    ContractChecker checker(8);
    FailureLog log;
    std::string label = "escape then x y";
    for (const char* prefix : {"\x1b$B", "\x1b(B"})
        for (int a = 1; a < 256; ++a)
            for (int b = 1; b < 256; ++b) {
                Bytes text = Bytes(prefix) + static_cast<char>(a) + static_cast<char>(b);
                std::string err = checker.Check(text, label);
                if (!err.empty()) log.Add(err);
            }
    EXPECT_EQ(log.Count(), 0);
}

// A few hundred thousand random texts, in shards so that CTest can run them
// side by side.
class RandomTexts : public ::testing::TestWithParam<int> {};

TEST_P(RandomTexts, KeepTheContract)
{
    constexpr int kTexts = 70000;
    constexpr std::size_t kMaxLength = 4096;
    const std::uint64_t seed = TestSeed(0x5eed0000u + GetParam());
    TextMaker maker(seed);
    ContractChecker checker(kMaxLength);
    FailureLog log;
    for (int i = 0; i < kTexts; ++i) {
        std::size_t length = maker.Length(kMaxLength);
        Bytes text;
        switch (maker.Below(8)) {
        case 0: text = maker.Ascii(length); break;
        case 1: text = maker.HighBytes(length); break;
        case 2: text = maker.KanjiMode(length); break;
        case 3: text = maker.KatakanaMix(length); break;
        default: text = maker.Weighted(length); break;
        }
        std::string err = checker.Check(text, Label("random", seed, i));
        if (!err.empty()) log.Add(err);
    }
    EXPECT_EQ(log.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Shard, RandomTexts, ::testing::Range(0, 4));

// A NUL inside the text ends it: every converter gives what it gives for the
// bytes before the NUL, within the 2n+1 bytes of that shorter text.
TEST(RandomTexts, InnerNulEndsTheText)
{
    const std::uint64_t seed = TestSeed(0x4e554c);
    TextMaker maker(seed);
    ContractChecker whole(1024), prefix(1024);
    FailureLog log;
    for (int i = 0; i < 20000; ++i) {
        Bytes text = maker.Weighted(maker.Length(1024));
        if (text.empty()) continue;
        text[maker.Below(static_cast<unsigned>(text.size()))] = '\0';
        std::string label = Label("inner NUL", seed, i);
        std::string err = whole.Check(text, label);
        if (err.empty()) err = prefix.Check(Bytes(text.c_str()), label);
        if (!err.empty()) {
            log.Add(err);
            continue;
        }
        for (int c = 0; c < kConverterCount; ++c)
            if (whole.LastOutput(c) != prefix.LastOutput(c))
                log.Add(label + ": " + kConverters[c].name +
                        " looked past the NUL\n  input: " + Hex(text) +
                        "\n  with the NUL inside: " + Hex(whole.LastOutput(c)) +
                        "\n  the text before it:  " + Hex(prefix.LastOutput(c)));
    }
    EXPECT_EQ(log.Count(), 0);
}

}  // namespace
}  // namespace convtest
