// Handles through the host's procs, or, when the host offers no usable set,
// the module's own fallback handles (platform/fallback_handles.h).

#include "platform/host_memory.h"

#include "platform/fallback_handles.h"

namespace {

constexpr int16 kUsableHandleProcsVersion = 1;
constexpr int16 kRequiredHandleProcs = 6;

}  // namespace

bool hostHandlesUsable(const FilterRecord* record) {
    if (!record || !record->handleProcs) return false;
    const HandleProcs& procs = *record->handleProcs;
    return procs.handleProcsVersion == kUsableHandleProcsVersion &&
           procs.numHandleProcs >= kRequiredHandleProcs && procs.newProc && procs.disposeProc &&
           procs.getSizeProc && procs.setSizeProc && procs.lockProc && procs.unlockProc;
}

Handle newHandle(const FilterRecord* record, int32 size) {
    if (hostHandlesUsable(record)) return record->handleProcs->newProc(size);
    return newFallbackHandle(size);
}

void disposeHandle(const FilterRecord* record, Handle handle) {
    if (!handle) return;
    if (hostHandlesUsable(record)) {
        record->handleProcs->disposeProc(handle);
    } else {
        disposeFallbackHandle(handle);
    }
}

Ptr lockHandle(const FilterRecord* record, Handle handle, Boolean moveHigh) {
    if (!handle) return nullptr;
    if (hostHandlesUsable(record)) return record->handleProcs->lockProc(handle, moveHigh);
    return lockFallbackHandle(handle);
}

void unlockHandle(const FilterRecord* record, Handle handle) {
    if (!handle) return;
    if (hostHandlesUsable(record)) {
        record->handleProcs->unlockProc(handle);
    } else {
        unlockFallbackHandle(handle);
    }
}

int32 handleSize(const FilterRecord* record, Handle handle) {
    if (!handle) return 0;
    if (hostHandlesUsable(record)) return record->handleProcs->getSizeProc(handle);
    return fallbackHandleSize(handle);
}
