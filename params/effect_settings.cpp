#include "params/effect_settings.h"

#include "params/current_parameters.h"
#include "strips/module_effect.h"

int32 clampInt(int32 value, int32 low, int32 high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

int32 getRadiation() { return currentParameters().settings[kRadiation]; }

static bool isSettingIndex(int32 index) { return index >= 0 && index < kSettingCount; }

int32 getSetting(int32 index) {
    return isSettingIndex(index) ? currentParameters().settings[index] : 0;
}

void setSetting(int32 index, int32 value) {
    if (isSettingIndex(index)) currentParameters().settings[index] = value;
}

int32 getShowDialogFlag() { return currentParameters().showDialog; }

void setShowDialogFlag(int32 value) { currentParameters().showDialog = value; }

int32 prepareEffect(const FilterRecord* record) {
    Fixed rate = record != nullptr ? record->inputRate : kFixedOne;
    prepareEffectFor(getSetting(kRadiation), getSetting(kAmount), getSetting(kMist), rate);
    return 0;
}
