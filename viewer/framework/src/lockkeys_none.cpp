// Lock keys where the window system tells nothing the framework can read.
#include "lockkeys.h"

CLockKeySource* AfxPlatformLockKeySource()
{
    return nullptr;
}
