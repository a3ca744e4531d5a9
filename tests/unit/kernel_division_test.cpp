// The optimised kernel's arithmetic: every division it replaces by a multiply and a
// shift is exact over the whole range it is used for, and the blend weight and tone
// it computes equal the tables for every setting.
#include <gtest/gtest.h>

#include <vector>

#include "engine/effect_tables.h"
#include "engine/exact_division.h"
#include "engine/fast_kernel_constants.h"
#include "sdk/host_types.h"

namespace {

constexpr Fixed kRateOne = 0x10000;

// The largest window sum of a box: every pixel 255, plus the rounding bias.
uint32 largestWindowSum(uint32 area) { return area * 255 + area / 2; }

TEST(ExactDivision, BoundHoldsForEveryWindowArea) {
    for (uint32 radius = kMinRadius; radius <= uint32(kMaxRadius); ++radius) {
        uint32 area = (2 * radius + 1) * (2 * radius + 1);
        ExactDivisor divisor = exactDivisorFor(area);
        EXPECT_TRUE(divisionExactUpTo(divisor, area, largestWindowSum(area))) << "area " << area;
    }
}

// Both sides are non-decreasing in the sum, and the true quotient steps only at
// multiples of the area; so agreeing at every q * area - 1 and q * area for the
// quotients 0..255 means agreeing on every sum 0..255 * area + area / 2 between.
TEST(ExactDivision, EverySumOfEveryWindowAreaDividesExactly) {
    for (uint32 radius = kMinRadius; radius <= uint32(kMaxRadius); ++radius) {
        uint32 area = (2 * radius + 1) * (2 * radius + 1);
        ExactDivisor divisor = exactDivisorFor(area);
        uint32 last = largestWindowSum(area);
        EXPECT_EQ(divideExactly(0, divisor), 0u);
        EXPECT_EQ(divideExactly(last, divisor), 255u) << "area " << area;
        for (uint32 quotient = 1; quotient <= 255; ++quotient) {
            ASSERT_EQ(divideExactly(quotient * area - 1, divisor), quotient - 1) << "area " << area;
            ASSERT_EQ(divideExactly(quotient * area, divisor), quotient) << "area " << area;
        }
    }
}

TEST(ExactDivision, EverySumOfTheLargestWindowDividesExactly) {
    uint32 area = 193 * 193;
    ExactDivisor divisor = exactDivisorFor(area);
    uint32 wrong = 0;
    for (uint32 sum = 0; sum <= largestWindowSum(area); ++sum)
        wrong += divideExactly(sum, divisor) != sum / area;
    EXPECT_EQ(wrong, 0u);
}

TEST(ExactDivision, EveryScaledWeightDividesExactlyBy2040) {
    ExactDivisor divisor = exactDivisorFor(2040);
    uint32 last = 2040 * 1024 + 1020;
    EXPECT_TRUE(divisionExactUpTo(divisor, 2040, last));
    uint32 wrong = 0;
    for (uint32 scaled = 0; scaled <= last; ++scaled)
        wrong += divideExactly(scaled, divisor) != scaled / 2040;
    EXPECT_EQ(wrong, 0u);
}

TEST(ExactDivision, BoundRejectsAMultiplierThatIsTooSmallOrTooCoarse) {
    ExactDivisor divisor = exactDivisorFor(193 * 193);
    ExactDivisor tooSmall{divisor.multiplier - 1, divisor.shift};
    EXPECT_FALSE(divisionExactUpTo(tooSmall, 193 * 193, largestWindowSum(193 * 193)));
    // a multiplier from a much smaller shift is exact only for small dividends
    ExactDivisor coarse{uint32((uint64_t(1) << 32) / (193 * 193) + 1), 0};
    EXPECT_FALSE(divisionExactUpTo(coarse, 193 * 193, largestWindowSum(193 * 193)));
    uint32 firstWrong = 0;
    for (uint32 sum = 0; sum <= largestWindowSum(193 * 193) && firstWrong == 0; ++sum) {
        if (divideExactly(sum, coarse) != sum / (193 * 193)) firstWrong = sum;
    }
    EXPECT_NE(firstWrong, 0u) << "the coarse multiplier should really fail somewhere";
}

TEST(ExactDivision, DivisorsBelowTwoAreRejected) {
    EXPECT_FALSE(divisionExactUpTo(exactDivisorFor(0), 0, 10));
    EXPECT_FALSE(divisionExactUpTo(exactDivisorFor(1), 1, 10));
}

TEST(ToneArithmetic, HighMultiplyDividesEverySixteenBitValueBy255) {
    uint32 wrong = 0;
    for (uint32 x = 0; x <= 0xFFFF; ++x) {
        wrong += (((x * kToneMultiplier) >> 16) >> kToneShift) != x / 255;
    }
    EXPECT_EQ(wrong, 0u);
}

// Every weight scale 0..1024 and every mist level 0..255, not only those that the
// settings produce.
TEST(FastKernelConstants, WeightAndToneEqualTheTablesForEveryScaleAndLevel) {
    EffectTables tables;
    deriveEffectTables(50, 50, 0, kRateOne, &tables);
    for (int32 scale = 0; scale <= kWeightOne; ++scale) {
        fillAmountTable(scale, tables.amountTable);
        FastKernelConstants constants = fastKernelConstantsFor(tables);
        for (int32 index = 0; index < kAmountTableSize; ++index) {
            ASSERT_EQ(weightFor(index, constants), tables.amountTable[index])
                << scale << " " << index;
        }
    }
    for (int32 level = 0; level <= 255; ++level) {
        fillMistTable(level, tables.mistTable);
        FastKernelConstants constants = fastKernelConstantsFor(tables);
        for (int32 value = 0; value < kMistTableSize; ++value) {
            ASSERT_EQ(toneFor(value, constants), tables.mistTable[value]) << level << " " << value;
        }
    }
}

TEST(FastKernelConstants, TablesAreReproducedForEverySetting) {
    EffectTables tables;
    for (int32 setting = 0; setting <= 100; ++setting) {
        deriveEffectTables(setting, setting, 100 - setting, kRateOne, &tables);
        EXPECT_TRUE(fastKernelConstantsFor(tables).tablesReproduced) << setting;
    }
}

TEST(FastKernelConstants, TablesThatDifferFromTheArithmeticAreNotReproduced) {
    EffectTables tables;
    deriveEffectTables(50, 50, 30, kRateOne, &tables);
    EffectTables weights = tables;
    weights.amountTable[700] += 1;
    EXPECT_FALSE(fastKernelConstantsFor(weights).tablesReproduced);
    EffectTables tones = tables;
    tones.mistTable[200] -= 1;
    EXPECT_FALSE(fastKernelConstantsFor(tones).tablesReproduced);
    EffectTables unprepared = {1, 3, 9, 4, {}, {}};
    EXPECT_FALSE(fastKernelConstantsFor(unprepared).tablesReproduced);
}

}  // namespace
