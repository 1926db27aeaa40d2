// Global memory blocks. Every live block is recorded, so that a stale or foreign handle is
// refused with ERROR_INVALID_HANDLE instead of being freed or written through.
#include "platform/winbase.h"
#include "platform/winmem.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    void* data = nullptr;
    SIZE_T size = 0;
    bool moveable = false;
    unsigned locks = 0;
};

struct Registry {
    std::mutex mutex;
    std::unordered_map<HGLOBAL, Block> blocks;
};

Registry& registry() {
    static Registry* instance = new Registry; // outlives static destructors that free blocks
    return *instance;
}

// Moveable handles are distinct odd-looking values that are never valid addresses of data.
HGLOBAL nextMoveableHandle() {
    static std::uintptr_t next = 0x10000;
    next += 8;
    return reinterpret_cast<HGLOBAL>(next | 4);
}

} // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    if ((flags & ~(GMEM_MOVEABLE | GMEM_ZEROINIT)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // One byte at least, so that an empty block still has an address of its own.
    void* data = (flags & GMEM_ZEROINIT) ? std::calloc(bytes == 0 ? 1 : bytes, 1)
                                         : std::malloc(bytes == 0 ? 1 : bytes);
    if (data == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    bool moveable = (flags & GMEM_MOVEABLE) != 0;
    HGLOBAL handle = moveable ? nextMoveableHandle() : data;
    r.blocks[handle] = Block{data, bytes, moveable, 0};
    return handle;
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.blocks.find(memory);
    if (found == r.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    Block block = found->second;
    bool mayMove = block.moveable || (flags & GMEM_MOVEABLE) != 0;
    if (!mayMove && bytes > block.size) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!block.moveable && block.locks > 0 && bytes > block.size) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!mayMove) {
        found->second.size = bytes;
        return memory;
    }
    void* data = std::realloc(block.data, bytes == 0 ? 1 : bytes);
    if (data == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if ((flags & GMEM_ZEROINIT) && bytes > block.size)
        std::memset(static_cast<char*>(data) + block.size, 0, bytes - block.size);
    block.data = data;
    block.size = bytes;
    if (block.moveable) {
        found->second = block;
        return memory;
    }
    // A fixed block that moved gets its new address as its handle.
    r.blocks.erase(found);
    r.blocks[data] = block;
    return data;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.blocks.find(memory);
    if (found == r.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (found->second.moveable)
        ++found->second.locks;
    return found->second.data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.blocks.find(memory);
    if (found == r.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Block& block = found->second;
    if (!block.moveable || block.locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--block.locks > 0)
        return TRUE;
    SetLastError(ERROR_SUCCESS);
    return FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.blocks.find(memory);
    if (found == r.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    std::free(found->second.data);
    r.blocks.erase(found);
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.blocks.find(memory);
    if (found == r.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return found->second.size;
}

} // extern "C"
