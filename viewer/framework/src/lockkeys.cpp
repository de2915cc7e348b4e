// Where the lock keys' state comes from: a test's stand-in, the platform, or all off.
#include "lockkeys.h"

namespace {

CLockKeySource* g_pLockKeySource = nullptr;

// Where nothing tells, every lock reads as off and its pane stays blank.
class SilentLockKeys : public CLockKeySource {
public:
    BOOL IsLockOn(int) override { return FALSE; }
};

}  // namespace

CLockKeySource* AfxGetLockKeySource()
{
    if (g_pLockKeySource != nullptr)
        return g_pLockKeySource;
    if (CLockKeySource* pPlatform = AfxPlatformLockKeySource())
        return pPlatform;
    static SilentLockKeys silent;
    return &silent;
}

void AfxSetLockKeySource(CLockKeySource* pSource)
{
    g_pLockKeySource = pSource;
}
