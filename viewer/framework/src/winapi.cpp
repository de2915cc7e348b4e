// Global memory blocks (see winapi.h), each known by its handle while it
// lives.
#include "winapi.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>

namespace {

// A block: its header, then the bytes. The handle is the header's address.
struct GlobalBlock {
    UINT flags;
    SIZE_T size;
    int locks;
    unsigned char* Data() { return reinterpret_cast<unsigned char*>(this + 1); }
};

int g_failAllocAt = 0;
int g_failLockAt = 0;

// Counts a call down to the one that is meant to fail.
bool ShouldFail(int& countdown)
{
    if (countdown <= 0)
        return false;
    return --countdown == 0;
}

// The blocks allocated and not yet freed. A handle is looked up here before
// anything behind it is read, so a freed (or made-up) handle is refused
// without touching memory that is no longer the block's.
std::unordered_set<const void*>& LiveBlocks()
{
    static std::unordered_set<const void*> blocks;
    return blocks;
}

GlobalBlock* BlockOf(HGLOBAL hMem)
{
    if (hMem == nullptr || LiveBlocks().count(hMem) == 0)
        return nullptr;
    return static_cast<GlobalBlock*>(hMem);
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    if (ShouldFail(g_failAllocAt))
        return nullptr;
    return winapi_detail::AllocBlock(uFlags, dwBytes);
}

LPVOID GlobalLock(HGLOBAL hMem)
{
    if (BlockOf(hMem) == nullptr || ShouldFail(g_failLockAt))
        return nullptr;
    return winapi_detail::LockBlock(hMem);
}

HGLOBAL winapi_detail::AllocBlock(UINT uFlags, SIZE_T dwBytes)
{
    if (dwBytes > static_cast<SIZE_T>(-1) - sizeof(GlobalBlock))
        return nullptr;
    void* raw = std::malloc(sizeof(GlobalBlock) + (dwBytes == 0 ? 1 : dwBytes));
    if (raw == nullptr)
        return nullptr;
    auto* block = new (raw) GlobalBlock{uFlags, dwBytes, 0};
    if ((uFlags & GMEM_ZEROINIT) != 0)
        std::memset(block->Data(), 0, dwBytes);
    try {
        LiveBlocks().insert(block);
    } catch (const std::bad_alloc&) {
        std::free(raw);
        return nullptr;
    }
    return block;
}

LPVOID winapi_detail::LockBlock(HGLOBAL hMem)
{
    GlobalBlock* block = BlockOf(hMem);
    if (block == nullptr)
        return nullptr;
    ++block->locks;
    return block->Data();
}

BOOL GlobalUnlock(HGLOBAL hMem)
{
    GlobalBlock* block = BlockOf(hMem);
    if (block == nullptr || block->locks == 0)
        return FALSE;
    return --block->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL hMem)
{
    GlobalBlock* block = BlockOf(hMem);
    if (block == nullptr)
        return hMem;
    LiveBlocks().erase(block);
    std::free(block);
    return nullptr;
}

SIZE_T GlobalSize(HGLOBAL hMem)
{
    GlobalBlock* block = BlockOf(hMem);
    return block != nullptr ? block->size : 0;
}

UINT GlobalFlags(HGLOBAL hMem)
{
    GlobalBlock* block = BlockOf(hMem);
    return block != nullptr ? (block->flags & ~0xFFu) | static_cast<UINT>(block->locks & 0xFF)
                            : 0;
}

void GlobalFailAllocAt(int n)
{
    g_failAllocAt = n;
}

void GlobalFailLockAt(int n)
{
    g_failLockAt = n;
}

int GlobalBlocksInUse()
{
    return static_cast<int>(LiveBlocks().size());
}
