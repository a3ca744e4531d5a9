// The fallback handles on the Mac, made of the C library's memory: a master
// block holding the data block's address and size. The data block never moves,
// so an address from lockFallbackHandle stays valid until disposeFallbackHandle.

#include "platform/fallback_handles.h"

#include <cstdlib>

namespace {

// The handle is the address of `data`, the first field: a char** as hosts expect.
struct MasterBlock {
    char* data;
    int32 size;
};

MasterBlock* masterBlockOf(Handle handle) { return reinterpret_cast<MasterBlock*>(handle); }

}  // namespace

Handle newFallbackHandle(int32 size) {
    if (size < 0) return nullptr;
    MasterBlock* master = static_cast<MasterBlock*>(std::malloc(sizeof(MasterBlock)));
    if (!master) return nullptr;
    // Zero-filled, and one byte at least, so that an empty handle still has an
    // address of its own.
    char* data = static_cast<char*>(std::calloc(size > 0 ? size_t(size) : 1, 1));
    if (!data) {
        std::free(master);
        return nullptr;
    }
    master->data = data;
    master->size = size;
    return &master->data;
}

void disposeFallbackHandle(Handle handle) {
    if (!handle) return;
    MasterBlock* master = masterBlockOf(handle);
    std::free(master->data);
    std::free(master);
}

Ptr lockFallbackHandle(Handle handle) { return handle ? masterBlockOf(handle)->data : nullptr; }

void unlockFallbackHandle(Handle /*handle: the data never moves, so nothing to undo*/) {}

int32 fallbackHandleSize(Handle handle) { return handle ? masterBlockOf(handle)->size : 0; }
