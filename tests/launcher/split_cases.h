// Command lines and the argv that the Windows C runtime (msvcrt.dll, code page
// 932) makes of them. The native tests hold SplitCommandLine to this table; the
// Windows tests hold the real runtime to it, through the stand-in viewer.
#ifndef RUVOK_TESTS_SPLIT_CASES_H
#define RUVOK_TESTS_SPLIT_CASES_H

#include <string>
#include <vector>

struct SplitCase {
    const char* why;
    const char* commandLine;
    std::vector<std::string> args;
    // Where wine's msvcrt differs from msvcrt.dll, what wine gives; the
    // Windows tests, which run under wine, expect this instead.
    std::vector<std::string> wineArgs = {};
};

inline const std::vector<SplitCase>& SplitCases()
{
    static const std::vector<SplitCase> cases = {
        {"quoted path with blanks is one argument", R"(ruvok "C:\My Files\a.txt")", {"ruvok", R"(C:\My Files\a.txt)"}},
        {"blanks separate arguments", "ruvok a b", {"ruvok", "a", "b"}},
        {"tabs separate arguments", "ruvok\ta\t\tb", {"ruvok", "a", "b"}},
        {"blanks before and after are dropped", "ruvok   a   ", {"ruvok", "a"}},
        {"an empty quoted argument", R"(ruvok "")", {"ruvok", ""}},
        {"a blank quoted is kept", R"(ruvok " ")", {"ruvok", " "}},
        {"no argument at all", "ruvok", {"ruvok"}},
        {"backslash before the closing quote escapes it", R"(ruvok "C:\dir\")", {"ruvok", R"(C:\dir")"}},
        {"two backslashes before a quote give one", R"(ruvok "C:\dir\\")", {"ruvok", R"(C:\dir\)"}},
        {"three backslashes before a quote: one and a literal quote", R"(ruvok a\\\"b)", {"ruvok", R"(a\"b)"}},
        {"backslashes before other bytes stay", R"(ruvok a\\b\c)", {"ruvok", R"(a\\b\c)"}},
        {"backslashes at the end stay", R"(ruvok a\\)", {"ruvok", R"(a\\)"}},
        {"escaped quote outside quotes", R"(ruvok \"a b\")", {"ruvok", R"("a)", R"(b")"}},
        {"quotes join parts", R"(ruvok a"b c"d)", {"ruvok", "ab cd"}},
        {"closing quote then more text", R"(ruvok "a"b)", {"ruvok", "ab"}},
        {"unclosed quote runs to the end", R"(ruvok "a b)", {"ruvok", "a b"}},
        {"doubled quote inside quotes is literal", R"(ruvok "a""b")", {"ruvok", R"(a"b)"}},
        {"doubled quote inside quotes also closes them", R"(ruvok "a""b c")", {"ruvok", R"(a"b)", "c"},
         {"ruvok", R"(a"b c)"}},
        {"quotes around part of an argument", R"(ruvok a "b c" d)", {"ruvok", "a", "b c", "d"}},
        {"quoted program name with blanks", R"("C:\Program Files\ruvok.exe" x)", {R"(C:\Program Files\ruvok.exe)", "x"}},
        {"backslash before quote means nothing in the program name", R"("C:\dir\"x)", {R"(C:\dir\)", "x"},
         {R"(C:\dir"x)"}},
        {"Shift_JIS trail byte 0x5c before the closing quote",
         "ruvok \"\x95\x5c\"", {"ruvok", "\x95\x5c"}},
        {"Shift_JIS name with blanks, quoted",
         "ruvok \"\x83\x5c\x83\x74\x83\x67 \x95\x5c.txt\"", {"ruvok", "\x83\x5c\x83\x74\x83\x67 \x95\x5c.txt"}},
        {"Shift_JIS trail byte 0x5c before an opening quote",
         "ruvok \x94\x5c\"a b\"", {"ruvok", "\x94\x5c" "a b"}},
        {"half-width katakana are single bytes", "ruvok \xc3\xb7\xbd\xc4", {"ruvok", "\xc3\xb7\xbd\xc4"}},
    };
    return cases;
}

#endif
