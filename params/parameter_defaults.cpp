#include "params/parameter_defaults.h"

#include <cstring>

#include "params/current_parameters.h"
#include "params/effect_settings.h"
#include "text/text_toolkit.h"

void fillDefaultSet(ParameterSet& set) {
    set.showDialog = 1;
    std::memset(set.name, 0, sizeof set.name);
    cStringToLString(kDefaultName, set.name);
    set.settings[kRadiation] = kDefaultRadiation;
    set.settings[kAmount] = kDefaultAmount;
    set.settings[kMist] = kDefaultMist;
}

void fillDefaultBlock(ParameterBlock& block) {
    block.header.signature = kBlockSignature;
    block.header.kind = kBlockKind;
    block.header.version = kBlockVersion;
    block.header.tag = kBlockTag;
    block.header.level = kBlockLevel;
    block.header.stamp = kNewBlockStamp;
    fillDefaultSet(block.body);
}

void resetCurrentParameters() { fillDefaultSet(currentParameters()); }

void clampSettings(ParameterSet& set) {
    for (int32& setting : set.settings) setting = clampInt(setting, kSettingMin, kSettingMax);
}

void copyParameterSet(const ParameterSet& from, ParameterSet& to) {
    to.showDialog = from.showDialog;
    copyLString(from.name, to.name);
    for (int32 index = 0; index < kSettingCount; ++index) to.settings[index] = from.settings[index];
}

bool blockIsOurs(const void* bytes, int32 size) {
    if (bytes == nullptr) return false;
    if (size != kBlockSizeUnknown && size < kParameterBlockSize) return false;
    OSType signature;
    std::memcpy(&signature, bytes, sizeof signature);  // the handle's bytes need not be aligned
    return signature == kBlockSignature;
}
