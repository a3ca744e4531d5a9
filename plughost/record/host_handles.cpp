// A host handle is a HandleBlock; the Handle value the module sees is the
// address of its `data` field, so *handle is the address of the bytes, as
// modules expect of a handle. The bytes live in a fenced buffer. Handles are
// known by their address in `liveHandles` and by their magic word.

#include "plughost/record/host_handles.h"

#include <windows.h>

#include <cstring>
#include <map>

#include "plughost/cli/host_exit.h"
#include "plughost/cli/trace.h"
#include "plughost/record/callback_clock.h"
#include "plughost/record/guarded_memory.h"
#include "sdk/host_constants.h"

namespace {

constexpr uint32 kHandleMagic = 0x484E444C;  // "HNDL"
constexpr int16 kHandleProcsVersion = 1;
constexpr int16 kUnsupportedVersion = 2;
constexpr int16 kAllHandleProcs = 8;
constexpr int16 kTooFewHandleProcs = 5;

struct HandleBlock {
    uint32 magic;
    int32 id;     // hN in the trace
    int32 size;   // bytes
    bool locked;  // lock is not counted: one unlock undoes any number of locks
    char* data;   // the handle points at this field
};

HandleProcs procs = {};
HandleProcsMode currentMode = HandleProcsMode::Host;
std::map<Handle, HandleBlock*> liveHandles;
int32 nextHandleId = 1;

HandleBlock* findHostHandle(Handle handle) {
    auto found = liveHandles.find(handle);
    if (found == liveHandles.end() || found->second->magic != kHandleMagic) return nullptr;
    return found->second;
}

std::string nameOf(const HandleBlock* block) { return "h" + std::to_string(block->id); }

std::string unknownName(Handle handle) {
    char text[64];
    std::snprintf(text, sizeof text, "unknown:0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    return text;
}

// A handle that is not the host's reached a host procedure: that mixes the two
// kinds of handle, which ends the run.
HandleBlock* requireHostHandle(Handle handle, const char* procedure) {
    HandleBlock* block = findHostHandle(handle);
    if (block == nullptr) {
        traceLine("handle %s %s", procedure, unknownName(handle).c_str());
        endRunNow(kExitViolation, std::string("fault: handle procedure ") + procedure +
                                      " was given a handle the host did not make (" +
                                      unknownName(handle) + ")");
    }
    return block;
}

bool refuseEmptyHandles = false;  // --refuse-empty-handles

Handle newHostHandle(int32 size) {
    if (size < 0) return nullptr;
    uint8* data = allocateGuarded(size_t(size), 0);
    if (data == nullptr) return nullptr;
    HandleBlock* block =
        new HandleBlock{kHandleMagic, nextHandleId++, size, false, reinterpret_cast<char*>(data)};
    Handle handle = &block->data;
    liveHandles[handle] = block;
    return handle;
}

void freeHostHandle(HandleBlock* block) {
    liveHandles.erase(&block->data);
    freeGuarded(reinterpret_cast<uint8*>(block->data));
    block->magic = 0;
    delete block;
}

void checkFencesOf(const HandleBlock* block) {
    std::string damage;
    if (!guardsIntact(reinterpret_cast<const uint8*>(block->data), &damage)) {
        endRunNow(kExitViolation, "fault: the module wrote outside handle " + nameOf(block) + " (" +
                                      std::to_string(block->size) + " bytes): " + damage);
    }
}

extern "C" Handle hostNewHandle(int32 size) {
    CallbackClock clock;
    if (refuseEmptyHandles && size == 0) {
        traceLine("handle new 0 -> null (refused: --refuse-empty-handles)");
        return nullptr;
    }
    Handle handle = newHostHandle(size);
    HandleBlock* block = findHostHandle(handle);
    traceLine("handle new %d -> %s", int(size), block ? nameOf(block).c_str() : "null");
    return handle;
}

namespace {

// disposeProc and disposeRegularHandleProc free a host handle alike; the trace
// names which one the module called.
void disposeTraced(Handle handle, const char* procName) {
    CallbackClock clock;
    if (handle == nullptr) {
        traceLine("handle %s null", procName);
        return;
    }
    HandleBlock* block = requireHostHandle(handle, procName);
    traceLine("handle %s %s", procName, nameOf(block).c_str());
    checkFencesOf(block);
    freeHostHandle(block);
}

}  // namespace

extern "C" void hostDisposeHandle(Handle handle) { disposeTraced(handle, "dispose"); }

extern "C" void hostDisposeRegularHandle(Handle handle) { disposeTraced(handle, "disposeregular"); }

extern "C" int32 hostGetHandleSize(Handle handle) {
    CallbackClock clock;
    if (handle == nullptr) {
        traceLine("handle size null -> 0");
        return 0;
    }
    HandleBlock* block = requireHostHandle(handle, "size");
    const int32 size = currentMode == HandleProcsMode::ZeroSize ? 0 : block->size;
    traceLine("handle size %s -> %d", nameOf(block).c_str(), int(size));
    return size;
}

extern "C" OSErr hostSetHandleSize(Handle handle, int32 newSize) {
    CallbackClock clock;
    if (handle == nullptr) {
        traceLine("handle setsize null %d -> %d", int(newSize), int(nilHandleErr));
        return nilHandleErr;
    }
    HandleBlock* block = requireHostHandle(handle, "setsize");
    checkFencesOf(block);
    uint8* data = newSize >= 0 ? allocateGuarded(size_t(newSize), 0) : nullptr;
    if (data == nullptr) {
        traceLine("handle setsize %s %d -> %d", nameOf(block).c_str(), int(newSize),
                  int(memFullErr));
        return memFullErr;
    }
    std::memcpy(data, block->data, size_t(newSize < block->size ? newSize : block->size));
    freeGuarded(reinterpret_cast<uint8*>(block->data));
    block->data = reinterpret_cast<char*>(data);  // the bytes move, as relocatable blocks do
    block->size = newSize;
    traceLine("handle setsize %s %d -> 0", nameOf(block).c_str(), int(newSize));
    return noErr;
}

extern "C" Ptr hostLockHandle(Handle handle, Boolean moveHigh) {
    CallbackClock clock;
    if (handle == nullptr) {
        traceLine("handle lock null moveHigh=%d -> null", int(moveHigh));
        return nullptr;
    }
    HandleBlock* block = requireHostHandle(handle, "lock");
    block->locked = true;
    traceLine("handle lock %s moveHigh=%d -> ok", nameOf(block).c_str(), int(moveHigh));
    return block->data;
}

extern "C" void hostUnlockHandle(Handle handle) {
    CallbackClock clock;
    if (handle == nullptr) {
        traceLine("handle unlock null");
        return;
    }
    HandleBlock* block = requireHostHandle(handle, "unlock");
    block->locked = false;
    traceLine("handle unlock %s", nameOf(block).c_str());
}

extern "C" void hostRecoverSpace(int32 size) {
    CallbackClock clock;
    traceLine("handle recover %d", int(size));
}

// The global memory form: master block (moveable) holding the data block's address.
Handle newGlobalHandle(const std::vector<uint8>& bytes) {
    HGLOBAL master = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(void*));
    HGLOBAL data = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes.empty() ? 1 : bytes.size());
    void** slot = master ? static_cast<void**>(GlobalLock(master)) : nullptr;
    if (slot == nullptr || data == nullptr) {
        if (master) GlobalFree(master);
        if (data) GlobalFree(data);
        return nullptr;
    }
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    *slot = data;  // a fixed block's handle is its address
    GlobalUnlock(master);
    return reinterpret_cast<Handle>(master);
}

// The data block of a global memory form handle, or null when `handle` is not one.
void* globalDataBlock(Handle handle, size_t* size) {
    HGLOBAL master = reinterpret_cast<HGLOBAL>(handle);
    if (GlobalSize(master) < sizeof(void*)) return nullptr;
    void** slot = static_cast<void**>(GlobalLock(master));
    if (slot == nullptr) return nullptr;
    void* data = *slot;
    GlobalUnlock(master);
    if (data == nullptr) return nullptr;
    *size = GlobalSize(data);
    return data;
}

}  // namespace

void configureHandleProcs(HandleProcsMode mode) {
    currentMode = mode;
    procs = HandleProcs{};
    procs.handleProcsVersion =
        mode == HandleProcsMode::Version2 ? kUnsupportedVersion : kHandleProcsVersion;
    procs.numHandleProcs = mode == HandleProcsMode::Five ? kTooFewHandleProcs : kAllHandleProcs;
    procs.newProc = hostNewHandle;
    procs.disposeProc = hostDisposeHandle;
    procs.getSizeProc = mode == HandleProcsMode::NoGetSize ? nullptr : hostGetHandleSize;
    procs.setSizeProc = hostSetHandleSize;
    procs.lockProc = hostLockHandle;
    procs.unlockProc = hostUnlockHandle;
    procs.recoverSpaceProc = hostRecoverSpace;
    procs.disposeRegularHandleProc = hostDisposeRegularHandle;
}

HandleProcs* hostHandleProcs() { return currentMode == HandleProcsMode::None ? nullptr : &procs; }

bool moduleWouldUseHostHandles(HandleProcsMode mode) {
    return mode == HandleProcsMode::Host || mode == HandleProcsMode::ZeroSize;
}

Handle makeHandleWithBytes(HandleProcsMode mode, const std::vector<uint8>& bytes) {
    if (!moduleWouldUseHostHandles(mode)) return newGlobalHandle(bytes);
    Handle handle = newHostHandle(int32(bytes.size()));
    if (handle != nullptr && !bytes.empty()) std::memcpy(*handle, bytes.data(), bytes.size());
    return handle;
}

bool readAnyHandle(Handle handle, std::vector<uint8>* bytes, std::string* form) {
    if (handle == nullptr) return false;
    if (HandleBlock* block = findHostHandle(handle)) {
        *form = nameOf(block);
        bytes->assign(block->data, block->data + block->size);
        return true;
    }
    size_t size = 0;
    const void* data = globalDataBlock(handle, &size);
    if (data == nullptr) return false;
    *form = "global";
    const uint8* begin = static_cast<const uint8*>(data);
    bytes->assign(begin, begin + size);
    return true;
}

void disposeAnyHandle(Handle handle) {
    if (handle == nullptr) return;
    if (HandleBlock* block = findHostHandle(handle)) {
        freeHostHandle(block);
        return;
    }
    size_t size = 0;
    void* data = globalDataBlock(handle, &size);
    if (data != nullptr) GlobalFree(data);
    GlobalFree(reinterpret_cast<HGLOBAL>(handle));
}

std::string handleName(Handle handle) {
    if (handle == nullptr) return "null";
    if (const HandleBlock* block = findHostHandle(handle)) return nameOf(block);
    return "global";
}

bool checkHandleFences(std::string* fault) {
    for (const auto& entry : liveHandles) {
        std::string damage;
        if (!guardsIntact(reinterpret_cast<const uint8*>(entry.second->data), &damage)) {
            *fault = "the module wrote outside handle " + nameOf(entry.second) + " (" +
                     std::to_string(entry.second->size) + " bytes): " + damage;
            return false;
        }
    }
    return true;
}

std::vector<std::string> liveHandlesExcept(Handle keep) {
    std::vector<std::string> names;
    for (const auto& entry : liveHandles) {
        if (entry.first == keep) continue;
        names.push_back(nameOf(entry.second) + " (" + std::to_string(entry.second->size) +
                        " bytes)");
    }
    return names;
}

void setRefuseEmptyHandles(bool refuse) { refuseEmptyHandles = refuse; }
