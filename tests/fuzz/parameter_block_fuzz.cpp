// libFuzzer target: the raw bytes of a host's parameters handle, of any size,
// through the test that says whether they are our block, then the clamp and
// the copy into a working set that Start does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "params/parameter_defaults.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void takeBlock(const std::vector<uint8>& bytes) {
    ParameterBlock block;
    std::memcpy(&block, bytes.data(), sizeof block);
    require(block.header.signature == kBlockSignature);
    clampSettings(block.body);
    ParameterSet current;
    fillDefaultSet(current);
    copyParameterSet(block.body, current);
    for (int32 setting : current.settings)
        require(setting >= kSettingMin && setting <= kSettingMax);
    require(current.name[0] == block.body.name[0]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exactly sized heap copy, so any read past the handle's end is caught.
    std::vector<uint8> bytes(data, data + size);
    const int32 knownSize = size > size_t(INT32_MAX) ? INT32_MAX : int32(size);
    if (blockIsOurs(bytes.data(), knownSize)) {
        require(size >= sizeof(ParameterBlock));
        takeBlock(bytes);
    }
    // A host that was not asked for the size: only the signature word is read.
    if (size >= sizeof(OSType) && blockIsOurs(bytes.data(), kBlockSizeUnknown) &&
        size >= sizeof(ParameterBlock)) {
        takeBlock(bytes);
    }
    return 0;
}
