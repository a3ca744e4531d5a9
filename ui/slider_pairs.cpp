#include "ui/slider_pairs.h"

#include "params/effect_settings.h"
#include "platform/dialog_controls.h"
#include "sdk/host_constants.h"
#include "text/text_toolkit.h"
#include "ui/text_fields.h"

namespace {

// Every bound slider spans the settings' range.
constexpr int32 kSliderMinimum = 0;
constexpr int32 kSliderMaximum = 100;

constexpr uint32 kTagFieldMask = 0xFFFF;
constexpr int kTagSettingShift = 16;
constexpr uint32 kTagSettingMask = 0xFF;
constexpr int kTagDecimalsShift = 24;
constexpr uint32 kTagDecimalsMask = 0xFF;

PairRun boundRun = {0, 0, 0};

int32 limitDecimals(int32 decimals) {
    // A count without a powersOfTen entry never reaches the fields.
    if (decimals < 0) return 0;
    if (decimals > kMaxDecimalPlaces) return kMaxDecimalPlaces;
    return decimals;
}

// The slider value v appears in the field as v / 10^d.
float asFieldNumber(int32 value, int32 decimals) {
    return static_cast<float>(value) / static_cast<float>(powersOfTen[decimals]);
}

int32 fromFieldNumber(float number, int32 decimals) {
    return static_cast<int32>(static_cast<float>(powersOfTen[decimals]) * number);  // truncated
}

void writeField(DialogWindow dialog, uint32 tag, int32 value) {
    const int32 decimals = pairTagDecimals(tag);
    if (decimals == 0) {
        setFieldInt(dialog, pairTagField(tag), value);
    } else {
        setFieldFixed(dialog, pairTagField(tag), asFieldNumber(value, decimals), decimals);
    }
}

// The value a field holds, limited to the slider's range, and whether it was valid.
ClampedInt readPairField(DialogWindow dialog, int32 sliderId, uint32 tag) {
    const int32 minimum = sliderMinimum(dialog, sliderId);
    const int32 maximum = sliderMaximum(dialog, sliderId);
    const int32 decimals = pairTagDecimals(tag);
    if (decimals == 0) return readFieldIntClamped(dialog, pairTagField(tag), minimum, maximum);
    const ClampedNumber number =
        readFieldNumberClamped(dialog, pairTagField(tag), asFieldNumber(minimum, decimals),
                               asFieldNumber(maximum, decimals));
    return ClampedInt{fromFieldNumber(number.value, decimals), number.valid};
}

bool isBoundSliderId(int32 controlId) {
    return boundRun.pairCount > 0 && controlId >= boundRun.firstSliderId &&
           controlId < boundRun.firstSliderId + boundRun.pairCount;
}

}  // namespace

uint32 makePairTag(int32 fieldId, int32 settingIndex, int32 decimals) {
    return (static_cast<uint32>(fieldId) & kTagFieldMask) |
           ((static_cast<uint32>(settingIndex) & kTagSettingMask) << kTagSettingShift) |
           ((static_cast<uint32>(decimals) & kTagDecimalsMask) << kTagDecimalsShift);
}

int32 pairTagField(uint32 tag) { return static_cast<int32>(tag & kTagFieldMask); }
int32 pairTagSetting(uint32 tag) {
    return static_cast<int32>((tag >> kTagSettingShift) & kTagSettingMask);
}
int32 pairTagDecimals(uint32 tag) {
    return limitDecimals(static_cast<int32>((tag >> kTagDecimalsShift) & kTagDecimalsMask));
}

PairRun boundPairs() { return boundRun; }

int32 getSliderValue(DialogWindow dialog, int32 sliderId) {
    const int32 position = sliderPosition(dialog, sliderId);
    if (!sliderIsUpright(dialog, sliderId)) return position;
    return sliderMaximum(dialog, sliderId) + sliderMinimum(dialog, sliderId) - position;
}

void setSliderValue(DialogWindow dialog, int32 sliderId, int32 value) {
    int32 position = value;
    if (sliderIsUpright(dialog, sliderId)) {
        position = sliderMaximum(dialog, sliderId) + sliderMinimum(dialog, sliderId) - value;
    }
    setSliderPosition(dialog, sliderId, position);
}

int32 showPair(DialogWindow dialog, int32 sliderId) {
    if (!hasControl(dialog, sliderId)) return nilHandleErr;
    const uint32 tag = sliderTag(dialog, sliderId);
    const int32 value = getSetting(pairTagSetting(tag));
    setSliderValue(dialog, sliderId, value);
    writeField(dialog, tag, value);
    return noErr;
}

void showAllPairs(DialogWindow dialog, int32 count, int32 firstSliderId) {
    for (int32 k = 0; k < count; ++k) showPair(dialog, firstSliderId + k);
}

void bindPairs(DialogWindow dialog, int32 count, int32 firstSliderId, int32 firstFieldId,
               int32 decimals) {
    if (count > 0) {
        const int32 places = limitDecimals(decimals);
        for (int32 k = 0; k < count; ++k) {
            const int32 sliderId = firstSliderId + k;
            // A missing slider leaves its pair unbound; the others still work.
            if (!hasControl(dialog, sliderId)) continue;
            setSliderTag(dialog, sliderId, makePairTag(firstFieldId + k, k, places));
            setSliderRange(dialog, sliderId, kSliderMinimum, kSliderMaximum);
            showPair(dialog, sliderId);
        }
        focusSelectingAll(dialog, firstFieldId);
    }
    boundRun = PairRun{firstSliderId, firstFieldId, count};
}

int32 validatePair(DialogWindow dialog, int32 sliderId) {
    if (!hasControl(dialog, sliderId)) return nilHandleErr;
    const uint32 tag = sliderTag(dialog, sliderId);
    const ClampedInt typed = readPairField(dialog, sliderId, tag);
    if (typed.valid) {
        setSetting(pairTagSetting(tag), typed.value);
        return noErr;
    }
    // The limited value, or the minimum when the text held no number.
    writeField(dialog, tag, typed.value);
    return pairTagField(tag);
}

int32 validateAllPairs(DialogWindow dialog) {
    for (int32 k = 0; k < boundRun.pairCount; ++k) {
        const int32 result = validatePair(dialog, boundRun.firstSliderId + k);
        if (result != noErr) return result;
    }
    return noErr;
}

bool isPairField(int32 controlId) {
    return boundRun.pairCount > 0 && controlId >= boundRun.firstFieldId &&
           controlId < boundRun.firstFieldId + boundRun.pairCount;
}

bool takeTypedValue(DialogWindow dialog, int32 fieldId) {
    if (!isPairField(fieldId)) return false;
    const int32 sliderId = fieldId - boundRun.firstFieldId + boundRun.firstSliderId;
    if (!hasControl(dialog, sliderId)) return false;
    const uint32 tag = sliderTag(dialog, sliderId);
    const int32 value = readPairField(dialog, sliderId, tag).value;
    if (value == getSliderValue(dialog, sliderId)) return false;
    setSetting(pairTagSetting(tag), value);
    setSliderValue(dialog, sliderId, value);
    return true;
}

bool takeSliderPosition(DialogWindow dialog, int32 sliderId) {
    if (!isBoundSliderId(sliderId) || !hasControl(dialog, sliderId)) return false;
    const uint32 tag = sliderTag(dialog, sliderId);
    const int32 value = getSliderValue(dialog, sliderId);
    setSetting(pairTagSetting(tag), value);
    writeField(dialog, tag, value);
    return true;
}
