#include "engine/fast_kernel_constants.h"

namespace {

// Largest window sum: every column sum at 193 * 255, plus the rounding bias.
uint32 largestWindowSum(const EffectTables& tables) {
    return tables.windowArea * uint32(kChannelMax) + tables.halfArea;
}

bool weightsReproduced(const EffectTables& tables, const FastKernelConstants& constants) {
    for (int32 index = 0; index < kAmountTableSize; ++index) {
        if (weightFor(index, constants) != tables.amountTable[index]) return false;
    }
    return true;
}

bool tonesReproduced(const EffectTables& tables, const FastKernelConstants& constants) {
    for (int32 value = 0; value < kMistTableSize; ++value) {
        if (toneFor(value, constants) != tables.mistTable[value]) return false;
    }
    return true;
}

}  // namespace

FastKernelConstants fastKernelConstantsFor(const EffectTables& tables) {
    FastKernelConstants constants;
    constants.areaDivisor = exactDivisorFor(tables.windowArea);
    constants.amountScale = uint32(tables.amountTable[0]);
    constants.weightDivisor = exactDivisorFor(uint32(kLuminanceIndexMax));
    constants.mistLevel = uint32(tables.mistTable[0]);
    constants.mistSpan = uint32(kChannelMax) - constants.mistLevel;
    constants.tablesReproduced = false;
    // Tables that were never prepared (all zeros) or hold values the arithmetic
    // cannot represent are left to the plain kernel.
    bool inRange = tables.amountTable[0] >= 0 && tables.amountTable[0] <= kWeightOne &&
                   tables.mistTable[0] >= 0 && tables.mistTable[0] <= kChannelMax;
    if (!inRange) return constants;
    bool meansExact =
        divisionExactUpTo(constants.areaDivisor, tables.windowArea, largestWindowSum(tables));
    constants.tablesReproduced =
        meansExact && weightsReproduced(tables, constants) && tonesReproduced(tables, constants);
    return constants;
}
