#include "engine/effect_tables.h"

namespace {

constexpr int32 kSettingLow = 0;
constexpr int32 kSettingHigh = 100;
// Radiation 0..100 maps onto base radii 0..95: r0 = (Radiation * 95 + 50) / 100.
constexpr int32 kBaseRadiusSpan = 95;
constexpr int32 kPercent = 100;
// Amount in 1/1024: Amount * 1024 / 100.
constexpr int32 kAmountUnits = kWeightOne;
// Mist 100 lifts black to 63: Mist * 255 / 400.
constexpr int32 kMistNumerator = 255;
constexpr int32 kMistDenominator = 400;
constexpr uint32 kFixedOneUnsigned = 0x10000;

// Settings outside 0..100 would push weights past 1024 and blended values past
// the tone table; every writer keeps them in range, and this keeps the engine
// safe even if one does not.
int32 settingInRange(int32 value) {
    if (value < kSettingLow) return kSettingLow;
    if (value > kSettingHigh) return kSettingHigh;
    return value;
}

}  // namespace

uint32 radiusForRate(int32 radiation, int32 inputRate) {
    uint32 baseRadius =
        uint32((settingInRange(radiation) * kBaseRadiusSpan + kPercent / 2) / kPercent);
    uint32 rate = inputRate > 0 ? uint32(inputRate) : kFixedOneUnsigned;
    // base radius 95 at most: 95 * 65536 + rate / 2 stays far below 2^32
    uint32 scaled = (baseRadius * kFixedOneUnsigned + rate / 2) / rate;
    uint32 radius = scaled + 1;
    if (radius > uint32(kMaxRadius)) radius = kMaxRadius;
    return radius;  // scaled + 1 is never below kMinRadius
}

int32 amountScaleFor(int32 amount) { return settingInRange(amount) * kAmountUnits / kPercent; }

int32 mistLevelFor(int32 mist) {
    // Integer arithmetic: Mist 80 gives exactly 51, where 80 * 0.6375 carried in
    // extended precision would truncate to 50.
    return settingInRange(mist) * kMistNumerator / kMistDenominator;
}

void fillAmountTable(int32 amountScale, int32* table) {
    for (int32 index = 0; index <= kLuminanceIndexMax; ++index) {
        table[index] = ((kLuminanceIndexMax - index) * amountScale + kLuminanceIndexMax / 2) /
                       kLuminanceIndexMax;
    }
}

void fillMistTable(int32 mistLevel, int32* table) {
    for (int32 value = 0; value <= kChannelMax; ++value) {
        table[value] =
            mistLevel + (value * (kChannelMax - mistLevel) + kChannelMax / 2) / kChannelMax;
    }
}

void deriveEffectTables(int32 radiation, int32 amount, int32 mist, int32 inputRate,
                        EffectTables* tables) {
    tables->radius = radiusForRate(radiation, inputRate);
    tables->windowWidth = 2 * tables->radius + 1;
    tables->windowArea = tables->windowWidth * tables->windowWidth;
    tables->halfArea = tables->windowArea / 2;
    fillAmountTable(amountScaleFor(amount), tables->amountTable);
    fillMistTable(mistLevelFor(mist), tables->mistTable);
}

size_t columnSumBytes(int32 maxWidth) {
    int32 width = maxWidth > 0 ? maxWidth : 0;
    return size_t(width + kColumnSumExtraEntries) * kWorkBufferBytesPerColumn;
}

ColumnSumArrays columnSumArraysIn(void* block, int32 maxWidth) {
    ColumnSumArrays arrays = {{nullptr, nullptr, nullptr}, 0};
    if (block == nullptr) return arrays;
    int32 width = maxWidth > 0 ? maxWidth : 0;
    int32 entries = width + kColumnSumExtraEntries;
    uint32* sums = static_cast<uint32*>(block);
    for (int32 channel = 0; channel < kColourChannels; ++channel) {
        arrays.channel[channel] = sums + channel * entries;
    }
    arrays.filterWidth = width;
    return arrays;
}
