#include "gimp/preset_files.h"

#include <cstdio>
#include <cstring>

#include "params/parameter_file_codec.h"
#include "text/text_toolkit.h"

namespace {

constexpr char kPathSeparator = '/';

int32 clampSetting(int32 value) {
    if (value < kSettingMin) return kSettingMin;
    if (value > kSettingMax) return kSettingMax;
    return value;
}

const char* fileOwnName(const char* path) {
    const char* separator = std::strrchr(path, kPathSeparator);
    return separator != nullptr ? separator + 1 : path;
}

}  // namespace

PresetLoad loadPresetFile(const char* path, EffectValues* values) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return PresetLoad::unreadable;
    ParameterFileImage image;
    int32 byteCount = int32(std::fread(image.bytes, 1, sizeof image.bytes, file));
    std::fclose(file);

    int32 stamp = 0;
    ParameterSet set;
    std::memset(&set, 0, sizeof set);
    if (!decodeImage(image, byteCount, stamp, set)) return PresetLoad::notAPreset;
    values->radiation = clampSetting(set.settings[kRadiation]);
    values->amount = clampSetting(set.settings[kAmount]);
    values->mist = clampSetting(set.settings[kMist]);
    return PresetLoad::loaded;
}

bool savePresetFile(const char* path, const EffectValues& values) {
    ParameterSet set;
    std::memset(&set, 0, sizeof set);
    set.showDialog = 1;
    cStringToLString(kDefaultName, set.name);
    set.settings[kRadiation] = values.radiation;
    set.settings[kAmount] = values.amount;
    set.settings[kMist] = values.mist;
    const ParameterBlockHeader header = {kBlockSignature, kBlockKind,  kBlockVersion,
                                         kBlockTag,       kBlockLevel, kSavedFileStamp};
    ParameterFileImage image = encodeBlock(header, set);
    uint8 ownName[kLStringBufferSize];
    cStringToLString(fileOwnName(path), ownName);
    overwriteImageName(image, ownName);

    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(image.bytes, 1, sizeof image.bytes, file) == sizeof image.bytes;
    return std::fclose(file) == 0 && written;
}
