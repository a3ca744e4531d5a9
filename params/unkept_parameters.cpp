#include "params/unkept_parameters.h"

#include <cstring>

#include "params/current_parameters.h"
#include "params/last_used_settings.h"
#include "params/parameter_defaults.h"
#include "sdk/host_constants.h"

namespace {

// A default block with the file's stamp and settings when it holds an accepted image.
ParameterBlock blockFromLastUsedFile() {
    ParameterBlock block;
    std::memset(&block, 0, sizeof block);
    fillDefaultBlock(block);
    readLastUsedSettings(block);  // a missing or foreign file leaves the defaults
    return block;
}

}  // namespace

bool hostKeptNoBlock(const FilterRecord* record) {
    return record->parameters == nullptr && record->hostSig != kHostSigMFI1;
}

int32 loadLastConfirmedSettings() {
    const ParameterBlock block = blockFromLastUsedFile();
    copyParameterSet(block.body, currentParameters());
    clampSettings(currentParameters());
    return noErr;
}

int32 storeLastConfirmedSettings() {
    ParameterBlock block = blockFromLastUsedFile();
    copyParameterSet(currentParameters(), block.body);
    return writeLastUsedSettings(block);
}
