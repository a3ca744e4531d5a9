// The per-pixel arithmetic of the optimised kernel, derived from one preparation:
// the box mean, the blend weight and the tone value as multiplies and shifts
// instead of divisions and table lookups. The tables stay the definition; the
// arithmetic is used only when it reproduces them entry for entry.
#pragma once

#include "engine/effect_tables.h"
#include "engine/exact_division.h"

// The tone curve's division by 255 as a 16-bit high multiply: for x in 0..65535,
// x / 255 == ((x * kToneMultiplier) >> 16) >> kToneShift.
constexpr uint32 kToneMultiplier = 0x8081;
constexpr uint32 kToneShift = 7;

struct FastKernelConstants {
    ExactDivisor areaDivisor;    // window sum (with halfArea) -> rounded box mean
    uint32 amountScale;          // weight of black, amountTable[0], 0..1024
    ExactDivisor weightDivisor;  // / 2040, for the blend weight
    uint32 mistLevel;            // tone of black, mistTable[0], 0..63
    uint32 mistSpan;             // 255 - mistLevel
    bool tablesReproduced;       // weightFor and toneFor match both tables everywhere
};

FastKernelConstants fastKernelConstantsFor(const EffectTables& tables);

// amountTable's value: (amountScale * (2040 - index) + 1020) / 2040.
inline int32 weightFor(int32 luminance, const FastKernelConstants& constants) {
    uint32 scaled = uint32(kLuminanceIndexMax - luminance) * constants.amountScale +
                    uint32(kLuminanceIndexMax / 2);
    return int32(divideExactly(scaled, constants.weightDivisor));
}

// mistTable's value: mistLevel + (value * (255 - mistLevel) + 127) / 255.
inline int32 toneFor(int32 value, const FastKernelConstants& constants) {
    uint32 scaled = uint32(value) * constants.mistSpan + uint32(kChannelMax / 2);
    return int32(constants.mistLevel + (((scaled * kToneMultiplier) >> 16) >> kToneShift));
}
