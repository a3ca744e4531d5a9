// What the settings become before the kernel runs: the box radius at the current
// inputRate, the window, the blend-weight table and the tone table; and the
// carving of the work buffer into the column-sum arrays.
#pragma once

#include "sdk/filter_record.h"

// The box never shrinks below 3 x 3 and never outgrows the input margins.
constexpr int32 kMinRadius = 1;
constexpr int32 kMaxRadius = 96;

constexpr int32 kChannelMax = 255;
// 2 * 255 + 5 * 255 + 255: the luminance index of white.
constexpr int32 kLuminanceIndexMax = 2040;
constexpr int32 kAmountTableSize = kLuminanceIndexMax + 1;
constexpr int32 kMistTableSize = kChannelMax + 1;
// Blend weights are in units of 1/1024: 1024 moves a pixel all the way to its box mean.
constexpr int32 kWeightShift = 10;
constexpr int32 kWeightOne = 1 << kWeightShift;

// Colour bytes per pixel that the engine reads and writes: R, G, B.
constexpr int32 kColourChannels = 3;
// Entry of a column-sum array that stands for the first output column of a strip;
// the entries before it hold the columns of the box's left reach.
constexpr int32 kColumnSumLead = 96;
// Entries of each column-sum array beyond the filter width: 96 before the first
// output column, 96 after the last for the box's right reach, and two to spare.
constexpr int32 kColumnSumExtraEntries = 194;
// Bytes per column of the work buffer: three channels of unsigned 32-bit sums.
constexpr int32 kWorkBufferBytesPerColumn = kColourChannels * 4;

// Everything the kernel needs from one preparation.
struct EffectTables {
    uint32 radius;       // 1..96, in input pixels at the current inputRate
    uint32 windowWidth;  // 2 * radius + 1
    uint32 windowArea;   // windowWidth squared, always odd
    uint32 halfArea;     // windowArea / 2: the bias that rounds a box mean to nearest
    int32 amountTable[kAmountTableSize];  // 0..1024 blend weight by luminance index
    int32 mistTable[kMistTableSize];      // final output value by blended value
};

// The three column-sum arrays carved out of the locked work buffer.
struct ColumnSumArrays {
    uint32* channel[kColourChannels];  // null while no work buffer is attached
    int32 filterWidth;                 // W; each array has W + 194 entries
};

// 2R + 5G + B of a pixel, 0..2040.
inline int32 luminanceIndex(int32 red, int32 green, int32 blue) {
    return 2 * red + 5 * green + blue;
}

// The box radius for a Radiation setting (0..100) at a host sampling rate: the base
// radius divided by the rate, rounded half up, plus one, kept in 1..96. A rate of
// zero or below (hosts that never set it) is read as 1.0.
uint32 radiusForRate(int32 radiation, Fixed inputRate);
// Amount 0..100 as a blend weight in 1/1024: 0..1024.
int32 amountScaleFor(int32 amount);
// Mist 0..100 as the output level that black is lifted to: 0..63.
int32 mistLevelFor(int32 mist);
// table[i] = amountScale * (2040 - i) / 2040 rounded half up, for i = 0..2040.
void fillAmountTable(int32 amountScale, int32* table);
// table[j] = mistLevel + j * (255 - mistLevel) / 255 rounded to nearest, for j = 0..255.
void fillMistTable(int32 mistLevel, int32* table);
// All derived values for the given settings (each limited to 0..100) and rate.
void deriveEffectTables(int32 radiation, int32 amount, int32 mist, Fixed inputRate,
                        EffectTables* tables);

// The tables of the last preparation (radius 1 and empty tables before the first).
const EffectTables& effectTables();
// The column-sum arrays of the attached work buffer.
const ColumnSumArrays& columnSumArrays();
// The attached work buffer as one block, and its size in bytes (0 when none).
void* workBufferBlock();
int32 attachedWorkBufferSize();

// (W + 194) * 12 bytes, W the width of filterRect.
int32 workBufferSize(const FilterRecord* record);
// Points the three column-sum arrays into the locked work buffer.
void attachWorkBuffer(const FilterRecord* record, void* block);
// Derives radius, window and both tables from explicit settings (each limited to
// 0..100) and a sampling rate, for callers that keep their own settings.
void prepareEffectFor(int32 radiation, int32 amount, int32 mist, Fixed inputRate);
// prepareEffectFor with the module's working settings (effect_settings.h) and the
// record's inputRate (1.0 without a record); always 0. It lives with those settings
// in params/effect_settings.cpp, so that the engine itself reads no module state.
int32 prepareEffect(const FilterRecord* record);
// Called after the last strip, before the work buffer is freed: forgets the buffer,
// so that nothing can reach it once the pass has disposed of it.
void finishEffect(const FilterRecord* record);
