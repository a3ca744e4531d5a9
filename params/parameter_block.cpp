// The host owns the parameters handle once the module has stored it there; the
// module locks it only for the length of one operation. Blocks are copied in and
// out with memcpy: the host's lock may return any address.

#include "params/parameter_block.h"

#include <cstring>

#include "params/current_parameters.h"
#include "params/last_used_settings.h"
#include "params/parameter_defaults.h"
#include "params/unkept_parameters.h"
#include "platform/host_memory.h"
#include "platform/modifier_keys.h"
#include "sdk/host_constants.h"

namespace {

constexpr Boolean kDoNotMoveHigh = 0;

// What the host says of the handle's size: a handle shorter than a block is not
// ours and is never read past its end; some hosts answer 0 for every handle,
// which only means they cannot tell.
int32 reportedBlockSize(const FilterRecord* record, Handle handle) {
    const int32 size = handleSize(record, handle);
    return size == 0 ? kBlockSizeUnknown : size;
}

// The host's block, locked and copied out for one operation.
struct OpenBlock {
    Ptr bytes;
    ParameterBlock block;
};

// nilHandleErr without a handle or a lock; kBlockNotOurs (the handle left unlocked
// and untouched) when it does not carry the signature; else noErr, locked.
int32 openHostBlock(FilterRecord* record, OpenBlock& open) {
    if (!record->parameters) return nilHandleErr;
    const int32 size = reportedBlockSize(record, record->parameters);
    open.bytes = lockHandle(record, record->parameters, kDoNotMoveHigh);
    if (!open.bytes) return nilHandleErr;
    if (!blockIsOurs(open.bytes, size)) {
        unlockHandle(record, record->parameters);
        return kBlockNotOurs;
    }
    std::memcpy(&open.block, open.bytes, sizeof open.block);
    return noErr;
}

void closeHostBlock(FilterRecord* record, const OpenBlock& open, bool writeBack) {
    if (writeBack) std::memcpy(open.bytes, &open.block, sizeof open.block);
    unlockHandle(record, record->parameters);
}

int32 createParameterBlock(FilterRecord* record) {
    Handle handle = newHandle(record, kParameterBlockSize);
    if (!handle) return memFullErr;
    Ptr bytes = lockHandle(record, handle, kDoNotMoveHigh);
    if (!bytes) {
        disposeHandle(record, handle);
        return nilHandleErr;
    }
    ParameterBlock block;
    std::memset(&block, 0, sizeof block);
    fillDefaultBlock(block);
    if (readLastUsedSettings(block) == noErr) {
        clampSettings(block.body);
        block.body.showDialog = 1;
    }
    std::memcpy(bytes, &block, sizeof block);
    unlockHandle(record, handle);
    record->parameters = handle;
    return noErr;
}

}  // namespace

bool resetKeyDown() { return altKeyDown(); }

int32 prepareParameterBlock(FilterRecord* record) {
    if (!record->parameters) return createParameterBlock(record);
    OpenBlock open;
    const int32 result = openHostBlock(record, open);
    if (result != noErr) return result;
    clampSettings(open.block.body);
    open.block.body.showDialog = 1;
    closeHostBlock(record, open, true);
    return noErr;
}

int32 loadParametersForStart(FilterRecord* record) {
    resetCurrentParameters();
    if (resetKeyDown()) return noErr;  // Alt: start from the defaults, with the dialog
    if (hostKeptNoBlock(record)) return loadLastConfirmedSettings();
    OpenBlock open;
    const int32 result = openHostBlock(record, open);
    if (result != noErr) return result;
    copyParameterSet(open.block.body, currentParameters());
    clampSettings(currentParameters());  // the block itself keeps what it holds
    closeHostBlock(record, open, false);
    return noErr;
}

int32 storeParametersAfterDialog(FilterRecord* record) {
    if (hostKeptNoBlock(record)) return storeLastConfirmedSettings();
    OpenBlock open;
    int32 result = openHostBlock(record, open);
    if (result != noErr) return result;
    copyParameterSet(currentParameters(), open.block.body);
    closeHostBlock(record, open, true);
    return writeLastUsedSettings(open.block);
}
