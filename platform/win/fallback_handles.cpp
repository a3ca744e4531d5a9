// The fallback handles made of Windows global memory: a small movable "master
// block" holding the address of a fixed, zero-filled "data block". The data
// block is fixed, so an address from lockFallbackHandle stays valid until
// disposeFallbackHandle.

#include "platform/fallback_handles.h"

#include <windows.h>

namespace {

constexpr UINT kMasterBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;  // 0x42
constexpr UINT kDataBlockFlags = GMEM_FIXED | GMEM_ZEROINIT;       // 0x40

HGLOBAL masterBlockOf(Handle handle) { return reinterpret_cast<HGLOBAL>(handle); }

// The data block's address stored in the master block, or null. The master block
// is locked only for the moment of the read.
void* readDataAddress(Handle handle, bool& masterLocked) {
    void** slot = static_cast<void**>(GlobalLock(masterBlockOf(handle)));
    masterLocked = slot != nullptr;
    if (!slot) return nullptr;
    void* address = *slot;
    GlobalUnlock(masterBlockOf(handle));
    return address;
}

}  // namespace

Handle newFallbackHandle(int32 size) {
    if (size < 0) return nullptr;
    HGLOBAL master = GlobalAlloc(kMasterBlockFlags, sizeof(void*));
    if (!master) return nullptr;
    HGLOBAL data = GlobalAlloc(kDataBlockFlags, static_cast<SIZE_T>(size));
    void** slot = data ? static_cast<void**>(GlobalLock(master)) : nullptr;
    if (!slot) {
        if (data) GlobalFree(data);
        GlobalFree(master);
        return nullptr;
    }
    *slot = GlobalLock(data);  // a fixed block's handle is its address
    GlobalUnlock(master);
    return reinterpret_cast<Handle>(master);
}

void disposeFallbackHandle(Handle handle) {
    bool masterLocked = false;
    void* data = readDataAddress(handle, masterLocked);
    if (masterLocked && data) GlobalFree(GlobalHandle(data));
    GlobalFree(masterBlockOf(handle));
}

Ptr lockFallbackHandle(Handle handle) {
    bool masterLocked = false;
    void* data = readDataAddress(handle, masterLocked);
    if (!data) return nullptr;
    return static_cast<Ptr>(GlobalLock(GlobalHandle(data)));
}

void unlockFallbackHandle(Handle handle) {
    bool masterLocked = false;
    void* data = readDataAddress(handle, masterLocked);
    if (data) GlobalUnlock(GlobalHandle(data));
}

int32 fallbackHandleSize(Handle handle) {
    bool masterLocked = false;
    void* data = readDataAddress(handle, masterLocked);
    if (!data) return 0;
    const SIZE_T size = GlobalSize(GlobalHandle(data));
    return size > 0x7fffffff ? 0x7fffffff : static_cast<int32>(size);
}
