// What the settings become before the kernel runs: the box radius at a sampling
// rate, the window, the blend-weight table and the tone table; and the carving of
// a work area into the column-sum arrays.
#pragma once

#include "engine/engine_types.h"

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

// The three column-sum arrays carved out of a work area.
struct ColumnSumArrays {
    uint32* channel[kColourChannels];  // null while no work area is given
    int32 filterWidth;                 // W; each array has W + 194 entries
};

// A sampling rate of 1.0 in 16.16 fixed point.
constexpr int32 kRateOneFixed = 0x10000;

// 2R + 5G + B of a pixel, 0..2040.
inline int32 luminanceIndex(int32 red, int32 green, int32 blue) {
    return 2 * red + 5 * green + blue;
}

// The box radius for a Radiation setting (0..100) at a sampling rate (16.16): the base
// radius divided by the rate, rounded half up, plus one, kept in 1..96. A rate of
// zero or below (a caller that never sets one) is read as 1.0.
uint32 radiusForRate(int32 radiation, int32 inputRate);
// Amount 0..100 as a blend weight in 1/1024: 0..1024.
int32 amountScaleFor(int32 amount);
// Mist 0..100 as the output level that black is lifted to: 0..63.
int32 mistLevelFor(int32 mist);
// table[i] = amountScale * (2040 - i) / 2040 rounded half up, for i = 0..2040.
void fillAmountTable(int32 amountScale, int32* table);
// table[j] = mistLevel + j * (255 - mistLevel) / 255 rounded to nearest, for j = 0..255.
void fillMistTable(int32 mistLevel, int32* table);
// All derived values for the given settings (each limited to 0..100) and rate.
void deriveEffectTables(int32 radiation, int32 amount, int32 mist, int32 inputRate,
                        EffectTables* tables);

// W + 194 entries per channel for output rows up to W pixels wide: (W + 194) * 12 bytes.
size_t columnSumBytes(int32 maxWidth);
// The three arrays one after another from `block` on (null arrays for a null block).
ColumnSumArrays columnSumArraysIn(void* block, int32 maxWidth);
