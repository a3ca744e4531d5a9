// The plug-in's own copy of the three settings: what the procedure's arguments,
// the dialog and GIMP's per-procedure data hold. Plain data, so GIMP can store it
// as bytes between runs.
#pragma once

#include "params/parameter_set.h"

struct EffectValues {
    int32 radiation;  // 0..100, size of the averaging box
    int32 amount;     // 0..100, strength of the blend toward the box mean
    int32 mist;       // 0..100, black lift of the tone curve
};

constexpr EffectValues kDefaultEffectValues = {kDefaultRadiation, kDefaultAmount, kDefaultMist};

inline bool settingInRange(int32 value) { return value >= kSettingMin && value <= kSettingMax; }

inline bool effectValuesInRange(const EffectValues& values) {
    return settingInRange(values.radiation) && settingInRange(values.amount) &&
           settingInRange(values.mist);
}
