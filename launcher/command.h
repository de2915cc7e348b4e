// The viewer's command line as the launcher builds it from its own tail.
//
// The tail is passed on unchanged behind "ruvok " when it holds a double quote
// anywhere, and wrapped whole in one pair of double quotes otherwise, so that a
// file name with blanks that arrives unquoted reaches the viewer as one argument.
#ifndef RUVOK_LAUNCHER_COMMAND_H
#define RUVOK_LAUNCHER_COMMAND_H

#include <cstddef>

inline constexpr char kQuotedTailFormat[] = "ruvok %s";
inline constexpr char kBareTailFormat[] = "ruvok \"%s\"";

// The command buffer holds the tail's length plus this many bytes; the longest
// command is the tail plus 9 bytes with its NUL.
inline constexpr std::size_t kCommandBufferExtra = 100;

// wsprintfA writes at most this many bytes, the NUL included.
inline constexpr std::size_t kWsprintfLimit = 1024;

// A plain byte search: no Shift_JIS trail byte equals 0x22.
bool HasDoubleQuote(const char* tail);

// kQuotedTailFormat when the tail holds a double quote, else kBareTailFormat.
const char* CommandFormat(const char* tail);

// The length of the command that CommandFormat(tail) yields, without its NUL.
std::size_t CommandLength(const char* tail);

// Writes `format` with its one "%s" replaced by `arg` and a NUL at the end, as
// wsprintfA would, but with no limit on the length. "%%" stands for "%".
void FormatCommand(char* out, const char* format, const char* arg);

#endif
