// The launcher for Windows: starts "ruvok" on the launcher's own command-line
// tail, quoted unless the tail holds a double quote, and ends at once.
#include <windows.h>

#include <cstring>
#include <new>

#include "command.h"
#include "command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int showState)
{
    const std::size_t tailLength = std::strlen(tail);
    char* buffer = new (std::nothrow) char[tailLength + kCommandBufferExtra];
    if (buffer == nullptr)
        return 0;

    const char* format = CommandFormat(tail);
    // wsprintfA stops at 1,024 bytes; a longer command is formatted here so
    // that the whole tail reaches the viewer.
    if (CommandLength(tail) < kWsprintfLimit)
        wsprintfA(buffer, format, tail);
    else
        FormatCommand(buffer, format, tail);

    WinExec(buffer, static_cast<UINT>(showState));
    delete[] buffer;
    return 0;
}

namespace {

bool IsAnsiLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace

// The GUI start-up, in place of mingw's: its WinMain start-up lets a double
// quote anywhere in the program name open a quoted part, and compares bytes as
// signed chars, so that a byte of 0x80 or above ends the program name and is
// skipped before the tail. The launcher's tail must be found by the runtime
// rules it is documented to receive, so it finds the tail itself. The C runtime
// is initialised before main() and exit() runs its termination routines after.
int main()
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int showState = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0
                              ? static_cast<int>(static_cast<unsigned>(startup.wShowWindow))
                              : SW_SHOWDEFAULT;
    char* tail = const_cast<char*>(FindCommandTail(GetCommandLineA(), IsAnsiLeadByte));
    return WinMain(GetModuleHandleA(nullptr), nullptr, tail, showState);
}
