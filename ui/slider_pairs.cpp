#include "ui/slider_pairs.h"

#include <windows.h>

#include <commctrl.h>  // after windows.h, which it builds on

#include "params/effect_settings.h"
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

uint32 tagOf(HWND slider) { return static_cast<uint32>(GetWindowLongPtrA(slider, GWLP_USERDATA)); }

int32 rangeMinimum(HWND slider) { return static_cast<int32>(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0)); }
int32 rangeMaximum(HWND slider) { return static_cast<int32>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0)); }

bool isUpright(HWND slider) {
    RECT bounds;
    if (!GetWindowRect(slider, &bounds)) return false;
    return bounds.bottom - bounds.top > bounds.right - bounds.left;
}

// The slider value v appears in the field as v / 10^d.
float asFieldNumber(int32 value, int32 decimals) {
    return static_cast<float>(value) / static_cast<float>(powersOfTen[decimals]);
}

int32 fromFieldNumber(float number, int32 decimals) {
    return static_cast<int32>(static_cast<float>(powersOfTen[decimals]) * number);  // truncated
}

void writeField(HWND dialog, uint32 tag, int32 value) {
    const int32 decimals = pairTagDecimals(tag);
    if (decimals == 0) {
        setFieldInt(dialog, pairTagField(tag), value);
    } else {
        setFieldFixed(dialog, pairTagField(tag), asFieldNumber(value, decimals), decimals);
    }
}

// The value a field holds, limited to the slider's range, and whether it was valid.
ClampedInt readPairField(HWND dialog, HWND slider, uint32 tag) {
    const int32 minimum = rangeMinimum(slider);
    const int32 maximum = rangeMaximum(slider);
    const int32 decimals = pairTagDecimals(tag);
    if (decimals == 0) return readFieldIntClamped(dialog, pairTagField(tag), minimum, maximum);
    const ClampedNumber number = readFieldNumberClamped(dialog, pairTagField(tag),
                                                        asFieldNumber(minimum, decimals),
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
int32 pairTagSetting(uint32 tag) { return static_cast<int32>((tag >> kTagSettingShift) & kTagSettingMask); }
int32 pairTagDecimals(uint32 tag) {
    return limitDecimals(static_cast<int32>((tag >> kTagDecimalsShift) & kTagDecimalsMask));
}

PairRun boundPairs() { return boundRun; }

int32 getSliderValue(HWND slider) {
    const int32 position = static_cast<int32>(SendMessageA(slider, TBM_GETPOS, 0, 0));
    if (!isUpright(slider)) return position;
    return rangeMaximum(slider) + rangeMinimum(slider) - position;
}

void setSliderValue(HWND slider, int32 value) {
    int32 position = value;
    if (isUpright(slider)) position = rangeMaximum(slider) + rangeMinimum(slider) - value;
    // The position travels as a signed 16-bit number.
    SendMessageA(slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(static_cast<int16>(position)));
}

int32 showPair(HWND dialog, int32 sliderId) {
    HWND slider = GetDlgItem(dialog, sliderId);
    if (!slider) return nilHandleErr;
    const uint32 tag = tagOf(slider);
    const int32 value = getSetting(pairTagSetting(tag));
    setSliderValue(slider, value);
    writeField(dialog, tag, value);
    return noErr;
}

void showAllPairs(HWND dialog, int32 count, int32 firstSliderId) {
    for (int32 k = 0; k < count; ++k) showPair(dialog, firstSliderId + k);
}

void bindPairs(HWND dialog, int32 count, int32 firstSliderId, int32 firstFieldId, int32 decimals) {
    if (count > 0) {
        const int32 places = limitDecimals(decimals);
        for (int32 k = 0; k < count; ++k) {
            HWND slider = GetDlgItem(dialog, firstSliderId + k);
            if (!slider) continue;  // that pair stays unbound; the others still work
            SetWindowLongPtrA(slider, GWLP_USERDATA,
                              static_cast<LONG_PTR>(makePairTag(firstFieldId + k, k, places)));
            SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(kSliderMinimum, kSliderMaximum));
            showPair(dialog, firstSliderId + k);
        }
        focusField(dialog, firstFieldId);
    }
    boundRun = PairRun{firstSliderId, firstFieldId, count};
}

int32 validatePair(HWND dialog, int32 sliderId) {
    HWND slider = GetDlgItem(dialog, sliderId);
    if (!slider) return nilHandleErr;
    const uint32 tag = tagOf(slider);
    const ClampedInt typed = readPairField(dialog, slider, tag);
    if (typed.valid) {
        setSetting(pairTagSetting(tag), typed.value);
        return noErr;
    }
    // The limited value, or the minimum when the text held no number.
    writeField(dialog, tag, typed.value);
    return pairTagField(tag);
}

int32 validateAllPairs(HWND dialog) {
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

bool takeTypedValue(HWND dialog, int32 fieldId) {
    if (!isPairField(fieldId)) return false;
    HWND slider = GetDlgItem(dialog, fieldId - boundRun.firstFieldId + boundRun.firstSliderId);
    if (!slider) return false;
    const uint32 tag = tagOf(slider);
    const int32 value = readPairField(dialog, slider, tag).value;
    if (value == getSliderValue(slider)) return false;
    setSetting(pairTagSetting(tag), value);
    setSliderValue(slider, value);
    return true;
}

bool takeSliderPosition(HWND dialog, HWND slider) {
    if (!slider || GetParent(slider) != dialog || !isBoundSliderId(GetDlgCtrlID(slider))) return false;
    const uint32 tag = tagOf(slider);
    const int32 value = getSliderValue(slider);
    setSetting(pairTagSetting(tag), value);
    writeField(dialog, tag, value);
    return true;
}
