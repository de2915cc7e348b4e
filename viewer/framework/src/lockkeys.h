// The toggle state of the keyboard's lock keys (Caps Lock, Num Lock, Scroll
// Lock, Kana), from wherever the window system tells it: XKB on X11, the
// key state on Windows. Tests put a stand-in of their own in its place.
#ifndef RUVOK_LOCKKEYS_H
#define RUVOK_LOCKKEYS_H

#include "afx.h"

// Virtual-key codes of the lock keys.
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_KANA = 0x15;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;

class CLockKeySource {
public:
    virtual ~CLockKeySource() = default;
    // Whether lock key nVirtKey is on; FALSE where nothing tells.
    virtual BOOL IsLockOn(int nVirtKey) = 0;
};

// The source in use: the window system's, unless one was set.
CLockKeySource* AfxGetLockKeySource();
// Puts pSource in place (the caller keeps it); NULL goes back to the window
// system's.
void AfxSetLockKeySource(CLockKeySource* pSource);

// The window system's source for the platform the program runs on; NULL
// where it tells nothing.
CLockKeySource* AfxPlatformLockKeySource();

#endif
