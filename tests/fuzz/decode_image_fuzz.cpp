// libFuzzer target: arbitrary file contents of any length through the
// parameter file reader, as a load or the last-used settings read gives them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader asks for 300 bytes into a 300-byte record and is told how many came.
    ParameterFileImage image;
    std::memset(image.bytes, 0, sizeof image.bytes);
    const size_t count = size < sizeof image.bytes ? size : sizeof image.bytes;
    std::memcpy(image.bytes, data, count);

    ParameterSet set;
    fillDefaultSet(set);
    int32 stamp = 0;
    if (!decodeImage(image, int32(count), stamp, set)) return 0;

    require(count == sizeof image.bytes);
    require(set.name[0] == image.bytes[kImageNameOffset]);
    require(std::memcmp(set.name, image.bytes + kImageNameOffset, size_t(set.name[0]) + 1) == 0);
    clampSettings(set);
    for (int32 setting : set.settings) require(setting >= kSettingMin && setting <= kSettingMax);

    // What was accepted encodes back to an image that is accepted with the same set.
    const ParameterBlockHeader header{kBlockSignature, kBlockKind,  kBlockVersion,
                                      kBlockTag,       kBlockLevel, stamp};
    const ParameterFileImage again = encodeBlock(header, set);
    ParameterSet decodedAgain;
    int32 stampAgain = 0;
    require(decodeImage(again, int32(sizeof again.bytes), stampAgain, decodedAgain));
    require(stampAgain == stamp && decodedAgain.showDialog == set.showDialog);
    require(std::memcmp(decodedAgain.settings, set.settings, sizeof set.settings) == 0);
    return 0;
}
