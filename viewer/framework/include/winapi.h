// Global memory blocks, as the clipboard and the edit control take them.
// A block is moveable in name only: GlobalLock returns the same address for
// the block's whole life.
#ifndef RUVOK_WINAPI_H
#define RUVOK_WINAPI_H

#include "afx.h"

typedef std::size_t SIZE_T;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// NULL when the memory can't be had.
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
// NULL for a NULL or freed handle (or when the test hook says so).
LPVOID GlobalLock(HGLOBAL hMem);
// FALSE once the block is no longer locked.
BOOL GlobalUnlock(HGLOBAL hMem);
// NULL on success, else the handle.
HGLOBAL GlobalFree(HGLOBAL hMem);
SIZE_T GlobalSize(HGLOBAL hMem);
UINT GlobalFlags(HGLOBAL hMem);

// For tests: make the n-th next GlobalAlloc (or GlobalLock) fail, counting
// from 1; 0 turns the hook off. Counts only calls made through the functions
// above, not the clipboard's own blocks.
void GlobalFailAllocAt(int n);
void GlobalFailLockAt(int n);
// Blocks allocated and not yet freed.
int GlobalBlocksInUse();

// The same, for the framework's own blocks (the clipboard's), which the
// test hooks leave alone.
namespace winapi_detail {
HGLOBAL AllocBlock(UINT uFlags, SIZE_T dwBytes);
LPVOID LockBlock(HGLOBAL hMem);
}  // namespace winapi_detail

#endif
