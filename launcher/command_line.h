// What the Windows C runtime makes of a process's command line: the tail that
// its GUI start-up hands to WinMain, and the argv that its console start-up
// hands to main. The launcher needs the first on Windows (to find its own
// tail); the second is what the viewer started there receives, which the
// tests hold the real runtime to.
//
// Both take the ANSI code page's lead-byte test, so that the trail byte of a
// double-byte character is never read as a double quote or a backslash.
#ifndef RUVOK_LAUNCHER_COMMAND_LINE_H
#define RUVOK_LAUNCHER_COMMAND_LINE_H

#include <string>
#include <vector>

using LeadByteTest = bool (*)(unsigned char byte);

// Lead bytes of code page 932: 0x81 to 0x9F and 0xE0 to 0xFC.
bool IsCp932LeadByte(unsigned char byte);

// Steps over the program name (quoted: up to the next double quote, which is
// stepped over too; unquoted: up to the first byte of 0x20 or less) and then
// over every byte from 0x01 to 0x20. Returns a pointer into `commandLine`.
const char* FindCommandTail(const char* commandLine, LeadByteTest isLeadByte);

// Splits a whole command line, program name first, into arguments:
//   - the program name ends at the closing double quote when it starts with
//     one, otherwise at the first blank or tab; backslashes mean nothing in it;
//   - arguments are separated by blanks and tabs outside double quotes;
//   - 2n backslashes before a double quote give n backslashes, and the quote
//     opens or closes a quoted part; 2n+1 give n backslashes and a literal
//     quote; backslashes before anything else stay as they are;
//   - inside a quoted part, two double quotes give one literal double quote and
//     close the quoted part (the rule of msvcrt.dll, which the viewer's
//     runtime is).
std::vector<std::string> SplitCommandLine(const char* commandLine, LeadByteTest isLeadByte);

#endif
