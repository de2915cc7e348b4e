// Lock keys on Windows: the toggle bit of each key's state.
#include "lockkeys.h"

// From user32; declared here rather than through <windows.h>, whose basic
// types differ from the framework's.
extern "C" __declspec(dllimport) short __stdcall GetKeyState(int nVirtKey);

namespace {

class KeyStateLockKeys : public CLockKeySource {
public:
    BOOL IsLockOn(int nVirtKey) override { return (::GetKeyState(nVirtKey) & 1) != 0; }
};

}  // namespace

CLockKeySource* AfxPlatformLockKeySource()
{
    static KeyStateLockKeys source;
    return &source;
}
