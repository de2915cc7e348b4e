// The rules both launchers share: the command built from a tail, the tail found
// in a command line, and the argv that the Windows C runtime makes of one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "command.h"
#include "command_line.h"
#include "split_cases.h"
#include "standin_record.h"

namespace {

std::string Command(const std::string& tail)
{
    std::vector<char> buffer(tail.size() + kCommandBufferExtra);
    FormatCommand(buffer.data(), CommandFormat(tail.c_str()), tail.c_str());
    return buffer.data();
}

struct CommandCase {
    const char* why;
    std::string tail;
    std::string command;
};

TEST(LauncherCommand, FollowsTheTwoFormats)
{
    const std::vector<CommandCase> cases = {
        {"no quote: the whole tail is quoted", R"(C:\My Files\a.txt)", R"(ruvok "C:\My Files\a.txt")"},
        {"quotes at both ends: passed unchanged", R"("C:\My Files\a.txt")", R"(ruvok "C:\My Files\a.txt")"},
        {"a quote inside: passed unchanged", R"(C:\a b\"c d" e)", R"(ruvok C:\a b\"c d" e)"},
        {"a quote at the end only", R"(a b")", R"(ruvok a b")"},
        {"two names become one argument", "a.txt b.txt", R"(ruvok "a.txt b.txt")"},
        {"empty tail: an empty quoted argument", "", R"(ruvok "")"},
        {"blanks at the end stay inside the quotes", "a.txt  ", R"(ruvok "a.txt  ")"},
        {"a trailing backslash is not doubled", R"(C:\dir\)", R"(ruvok "C:\dir\")"},
        {"a percent sign is text", "100%s %d.txt", R"(ruvok "100%s %d.txt")"},
        {"Shift_JIS passes byte for byte", "\x95\x5c \x83\x5c.txt", "ruvok \"\x95\x5c \x83\x5c.txt\""},
        {"Shift_JIS with a quote", "\"\x95\x5c\"", "ruvok \"\x95\x5c\""},
        {"tail over 1,024 bytes reaches the viewer whole", std::string(3000, 'a'), "ruvok \"" + std::string(3000, 'a') + "\""},
    };
    for (const CommandCase& c : cases) {
        EXPECT_EQ(Command(c.tail), c.command) << c.why;
        EXPECT_EQ(CommandLength(c.tail.c_str()), c.command.size()) << c.why;
    }
}

// Over random tails: the command matches what printf makes of the same format
// (wsprintfA's rules for "%s"), and always fits the buffer with room to spare.
TEST(LauncherCommand, MatchesPrintfAndFitsTheBuffer)
{
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<int> quoteOdds(0, 3);
    for (int i = 0; i < 2000; ++i) {
        std::string tail;
        const int n = length(random);
        for (int k = 0; k < n; ++k) {
            char c = static_cast<char>(byte(random));
            if (c == '"' && quoteOdds(random) != 0)
                c = 'q';  // most tails hold no quote
            tail += c;
        }
        const char* format = CommandFormat(tail.c_str());
        std::vector<char> expected(tail.size() + kCommandBufferExtra);
        std::snprintf(expected.data(), expected.size(), format, tail.c_str());

        std::vector<char> buffer(tail.size() + kCommandBufferExtra, '\x7f');
        FormatCommand(buffer.data(), format, tail.c_str());
        ASSERT_STREQ(buffer.data(), expected.data()) << Visible(tail);
        ASSERT_LE(CommandLength(tail.c_str()) + 1, tail.size() + 9) << Visible(tail);
        ASSERT_EQ(std::strlen(buffer.data()), CommandLength(tail.c_str())) << Visible(tail);
        ASSERT_EQ(HasDoubleQuote(tail.c_str()), tail.find('"') != std::string::npos) << Visible(tail);
    }
}

struct TailCase {
    const char* why;
    const char* commandLine;
    const char* tail;
};

TEST(LauncherStartup, FindsTheTailAsTheRuntimeHandsItOver)
{
    const std::vector<TailCase> cases = {
        {"unquoted name, one blank", "launcher.exe a b", "a b"},
        {"blanks before the tail are skipped, after it kept", "launcher.exe   a b  ", "a b  "},
        {"tabs and control bytes are skipped too", "launcher.exe\t\x01\x1f a", "a"},
        {"quoted name with a blank inside", R"("C:\My Dir\launcher.exe" a.txt)", "a.txt"},
        {"argument right after the closing quote", R"("C:\My Dir\launcher.exe"a b)", "a b"},
        {"quoted name and nothing else", R"("C:\My Dir\launcher.exe")", ""},
        {"quoted name and blanks only", "\"C:\\My Dir\\launcher.exe\"   ", ""},
        {"unquoted name and nothing else", "launcher.exe", ""},
        {"unquoted name and blanks only", "launcher.exe    ", ""},
        {"first byte a blank: the name is empty", " a b", "a b"},
        {"first byte a tab: the name is empty", "\ta", "a"},
        {"empty command line", "", ""},
        {"a quote inside an unquoted name is an ordinary byte", R"(a"b c"d e)", R"(c"d e)"},
        {"a quoted name never closed runs to the end", R"("C:\My Dir\launcher.exe a)", ""},
        {"bytes of 0x80 and above belong to the name", "la\x82\xa0\xb1.exe a", "a"},
        {"bytes of 0x80 and above are not skipped before the tail", "launcher.exe \x95\x5c \xb1", "\x95\x5c \xb1"},
        {"quotes in the tail are kept", R"(launcher.exe "a b" c)", R"("a b" c)"},
        {"backslashes in the tail are kept", R"(launcher.exe C:\dir\)", R"(C:\dir\)"},
        {"Shift_JIS in a quoted name", "\"C:\\\x95\x5c\\launcher.exe\" \x83\x5c", "\x83\x5c"},
    };
    for (const TailCase& c : cases)
        EXPECT_STREQ(FindCommandTail(c.commandLine, IsCp932LeadByte), c.tail) << c.why;
}

TEST(LauncherStartup, LeadByteTakesItsTrailByteInAQuotedName)
{
    // No code page 932 trail byte is 0x22, so a lead-byte test that claims 'L'
    // shows the rule: the quote after 'L' is taken as its trail byte.
    auto claimsL = [](unsigned char byte) { return byte == 'L'; };
    EXPECT_STREQ(FindCommandTail(R"("aL"b" tail)", claimsL), "tail");
    EXPECT_STREQ(FindCommandTail(R"("ab" tail)", claimsL), "tail");
    // Unquoted names are not lead-byte aware: the name ends at the first blank.
    EXPECT_STREQ(FindCommandTail("aL b", claimsL), "b");
}

TEST(LauncherStartup, LeadByteAtTheEndNeverCarriesPastTheText)
{
    const char text[] = "\"C:\\dir\\\x81";
    const char* tail = FindCommandTail(text, IsCp932LeadByte);
    EXPECT_EQ(tail, text + std::strlen(text));
    auto everyByte = [](unsigned char) { return true; };
    const char odd[] = "\"abc";
    EXPECT_EQ(FindCommandTail(odd, everyByte), odd + std::strlen(odd));
}

TEST(LauncherStartup, Cp932LeadBytes)
{
    for (int b = 0; b < 256; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc);
        EXPECT_EQ(IsCp932LeadByte(static_cast<unsigned char>(b)), lead) << b;
    }
}

TEST(LauncherSplit, FollowsTheWindowsRuntime)
{
    for (const SplitCase& c : SplitCases())
        EXPECT_EQ(SplitCommandLine(c.commandLine, IsCp932LeadByte), c.args)
            << c.why << ": " << Visible(c.commandLine);
}

TEST(LauncherSplit, LeadByteAtTheEndIsKeptAlone)
{
    EXPECT_EQ(SplitCommandLine("ruvok a\x81", IsCp932LeadByte), (std::vector<std::string>{"ruvok", "a\x81"}));
    EXPECT_EQ(SplitCommandLine("ruvok \"\x81", IsCp932LeadByte), (std::vector<std::string>{"ruvok", "\x81"}));
    EXPECT_EQ(SplitCommandLine("ru\x81", IsCp932LeadByte), (std::vector<std::string>{"ru\x81"}));
}

// Whatever the launcher builds from a tail without quotes, the viewer gets the
// tail back as one argument, unless the tail ends in backslashes (which then
// escape the closing quote) or in a lone lead byte (which takes the closing
// quote as its trail byte), both as on Windows.
TEST(LauncherSplit, QuotedTailComesBackWhole)
{
    std::mt19937 random(4);
    const char alphabet[] = "ab .\\\t\x95\x5c\x83\x81\xb1%";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    std::uniform_int_distribution<int> length(0, 40);
    int whole = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string tail;
        for (int n = length(random); n > 0; --n)
            tail += alphabet[pick(random)];
        const std::vector<std::string> args = SplitCommandLine(Command(tail).c_str(), IsCp932LeadByte);
        ASSERT_EQ(args.size(), 2u) << Visible(tail);
        ASSERT_EQ(args[0], "ruvok");
        bool swallowsQuote = false;
        for (std::size_t k = 0; k < tail.size();) {
            const bool lead = IsCp932LeadByte(static_cast<unsigned char>(tail[k]));
            swallowsQuote = lead ? k + 1 == tail.size() : tail[k] == '\\';
            k += lead ? 2 : 1;
        }
        if (!swallowsQuote) {
            ASSERT_EQ(args[1], tail) << Visible(tail);
            ++whole;
        }
    }
    EXPECT_GT(whole, 2000);
}

}  // namespace
