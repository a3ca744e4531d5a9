// Derived values of the effect engine: radius per setting and rate, blend weights,
// tone table, and the work buffer's size and carving.
#include <gtest/gtest.h>

#include <vector>

#include "engine/effect_tables.h"
#include "params/effect_settings.h"
#include "params/parameter_set.h"
#include "strips/module_effect.h"

namespace {

constexpr Fixed kRateOne = 0x10000;

Fixed wholeRate(int32 factor) { return factor * kRateOne; }

struct RadiusRow {
    int32 radiation;
    uint32 atRate[4];  // reduction factors 1, 2, 3, 4
    uint32 windowWidthAtOne;
};

// The published table of radii for the rates that occur (1.0 in the pass, whole
// factors in the preview).
const RadiusRow kRadiusRows[] = {
    {0, {1, 1, 1, 1}, 3},        {1, {2, 2, 1, 1}, 5},         {2, {3, 2, 2, 2}, 7},
    {10, {11, 6, 4, 4}, 23},     {25, {25, 13, 9, 7}, 51},     {50, {49, 25, 17, 13}, 99},
    {75, {72, 37, 25, 19}, 145}, {100, {96, 49, 33, 25}, 193},
};

TEST(EffectTables, RadiusMatchesPublishedTableAtEachRate) {
    for (const RadiusRow& row : kRadiusRows) {
        for (int32 factor = 1; factor <= 4; ++factor) {
            EXPECT_EQ(radiusForRate(row.radiation, wholeRate(factor)), row.atRate[factor - 1])
                << "Radiation " << row.radiation << " at factor " << factor;
        }
        EffectTables tables;
        deriveEffectTables(row.radiation, 50, 0, kRateOne, &tables);
        EXPECT_EQ(tables.windowWidth, row.windowWidthAtOne);
        EXPECT_EQ(tables.windowArea, row.windowWidthAtOne * row.windowWidthAtOne);
        EXPECT_EQ(tables.halfArea, (tables.windowArea - 1) / 2);
    }
}

// For a whole factor c the radius is (2 * r0 + c) / (2 * c) + 1, within 1..96,
// with r0 = (Radiation * 95 + 50) / 100.
TEST(EffectTables, RadiusFollowsWholeFactorFormulaForEverySetting) {
    for (int32 radiation = 0; radiation <= 100; ++radiation) {
        int32 baseRadius = (radiation * 95 + 50) / 100;
        for (int32 factor = 1; factor <= 4; ++factor) {
            int32 expected = (2 * baseRadius + factor) / (2 * factor) + 1;
            if (expected > 96) expected = 96;
            EXPECT_EQ(radiusForRate(radiation, wholeRate(factor)), uint32(expected))
                << "Radiation " << radiation << " at factor " << factor;
        }
    }
}

TEST(EffectTables, RateOfZeroOrBelowReadsAsOne) {
    for (int32 radiation = 0; radiation <= 100; ++radiation) {
        uint32 atOne = radiusForRate(radiation, kRateOne);
        EXPECT_EQ(radiusForRate(radiation, 0), atOne) << radiation;
        EXPECT_EQ(radiusForRate(radiation, -kRateOne), atOne) << radiation;
        EXPECT_EQ(radiusForRate(radiation, INT32_MIN), atOne) << radiation;
    }
}

TEST(EffectTables, RadiusStaysWithinOneToNinetySixAtExtremeRates) {
    EXPECT_EQ(radiusForRate(100, kRateOne / 2), 96u);  // a rate below 1 enlarges, up to 96
    EXPECT_EQ(radiusForRate(100, 1), 96u);
    EXPECT_EQ(radiusForRate(100, INT32_MAX), 1u);
    EXPECT_EQ(radiusForRate(0, 1), 1u);
}

TEST(EffectTables, AmountScaleConversions) {
    const int32 cases[][2] = {{0, 0}, {1, 10}, {25, 256}, {50, 512}, {99, 1013}, {100, 1024}};
    for (const auto& c : cases) EXPECT_EQ(amountScaleFor(c[0]), c[1]) << "Amount " << c[0];
}

TEST(EffectTables, MistLevelConversions) {
    const int32 cases[][2] = {{0, 0},   {1, 0},   {2, 1},   {10, 6},
                              {50, 31}, {79, 50}, {80, 51}, {100, 63}};
    for (const auto& c : cases) EXPECT_EQ(mistLevelFor(c[0]), c[1]) << "Mist " << c[0];
}

TEST(EffectTables, AmountTableSampleEntries) {
    std::vector<int32> table(kAmountTableSize);
    fillAmountTable(512, table.data());
    const int32 half[][2] = {{0, 512}, {1, 512}, {2, 511}, {1020, 256}, {2039, 0}, {2040, 0}};
    for (const auto& c : half) EXPECT_EQ(table[c[0]], c[1]) << "index " << c[0];
    fillAmountTable(1024, table.data());
    const int32 full[][2] = {{0, 1024}, {1, 1023}, {1020, 512}, {2039, 1}, {2040, 0}};
    for (const auto& c : full) EXPECT_EQ(table[c[0]], c[1]) << "index " << c[0];
}

TEST(EffectTables, AmountZeroMakesEveryWeightZero) {
    std::vector<int32> table(kAmountTableSize, -1);
    fillAmountTable(0, table.data());
    for (int32 weight : table) EXPECT_EQ(weight, 0);
}

TEST(EffectTables, MistTableSampleEntries) {
    std::vector<int32> table(kMistTableSize);
    fillMistTable(31, table.data());
    const int32 cases[][2] = {{0, 31}, {1, 32}, {128, 143}, {254, 254}, {255, 255}};
    for (const auto& c : cases) EXPECT_EQ(table[c[0]], c[1]) << "value " << c[0];
}

TEST(EffectTables, MistZeroMakesToneTableIdentity) {
    std::vector<int32> table(kMistTableSize);
    fillMistTable(0, table.data());
    for (int32 value = 0; value < kMistTableSize; ++value) EXPECT_EQ(table[value], value);
}

// For every Amount and Mist: weights fall from A to 0 and stay in 0..1024; the
// tone table rises from M to 255.
TEST(EffectTables, TablesKeepTheirRangesForEverySetting) {
    EffectTables tables;
    for (int32 setting = 0; setting <= 100; ++setting) {
        deriveEffectTables(50, setting, setting, kRateOne, &tables);
        EXPECT_EQ(tables.amountTable[0], amountScaleFor(setting));
        EXPECT_EQ(tables.amountTable[kLuminanceIndexMax], 0);
        EXPECT_EQ(tables.mistTable[0], mistLevelFor(setting));
        EXPECT_EQ(tables.mistTable[kChannelMax], kChannelMax);
        for (int32 i = 1; i < kAmountTableSize; ++i) {
            ASSERT_LE(tables.amountTable[i], tables.amountTable[i - 1]) << setting << " " << i;
            ASSERT_GE(tables.amountTable[i], 0);
        }
        for (int32 j = 1; j < kMistTableSize; ++j) {
            ASSERT_GE(tables.mistTable[j], tables.mistTable[j - 1]) << setting << " " << j;
        }
    }
}

TEST(EffectTables, LuminanceIndexWeighsRedTwiceGreenFiveTimesBlueOnce) {
    EXPECT_EQ(luminanceIndex(0, 0, 0), 0);
    EXPECT_EQ(luminanceIndex(1, 0, 0), 2);
    EXPECT_EQ(luminanceIndex(0, 1, 0), 5);
    EXPECT_EQ(luminanceIndex(0, 0, 1), 1);
    EXPECT_EQ(luminanceIndex(255, 255, 255), kLuminanceIndexMax);
}

class PrepareEffectTest : public ::testing::Test {
   protected:
    void SetUp() override {
        for (int32 index = 0; index < kSettingCount; ++index) saved[index] = getSetting(index);
        record = FilterRecord{};
        record.inputRate = kRateOne;
    }
    void TearDown() override {
        for (int32 index = 0; index < kSettingCount; ++index) setSetting(index, saved[index]);
    }
    void useSettings(int32 radiation, int32 amount, int32 mist) {
        setSetting(kRadiation, radiation);
        setSetting(kAmount, amount);
        setSetting(kMist, mist);
    }
    int32 saved[kSettingCount] = {};
    FilterRecord record;
};

TEST_F(PrepareEffectTest, DerivesRadiusAndTablesFromSettingsAndRate) {
    useSettings(100, 50, 50);
    record.inputRate = 2 * kRateOne;
    EXPECT_EQ(prepareEffect(&record), 0);
    const EffectTables& tables = effectTables();
    EXPECT_EQ(tables.radius, 49u);
    EXPECT_EQ(tables.windowWidth, 99u);
    EXPECT_EQ(tables.windowArea, 99u * 99u);
    EXPECT_EQ(tables.halfArea, (99u * 99u - 1) / 2);
    EXPECT_EQ(tables.amountTable[0], 512);
    EXPECT_EQ(tables.amountTable[1020], 256);
    EXPECT_EQ(tables.mistTable[0], 31);
}

TEST_F(PrepareEffectTest, InputRateZeroPreparesAsRateOne) {
    useSettings(100, 50, 0);
    record.inputRate = 0;
    prepareEffect(&record);
    EXPECT_EQ(effectTables().radius, 96u);
}

TEST_F(PrepareEffectTest, ClearsColumnSumsValid) {
    useSettings(50, 50, 0);
    std::vector<uint8> in(3 * 200 * 200, 100), out(3 * 4, 0);
    std::vector<uint8> buffer(size_t(workBufferSize(&record)) + 64);
    record.filterRect = {0, 0, 4, 4};
    record.planes = 3;
    attachWorkBuffer(&record, buffer.data());
    prepareEffect(&record);
    record.outRect = {0, 0, 1, 1};
    setInputRect(&record);
    record.inRect = {0, 0, 1, 1};  // a host that clips to a one-pixel image
    record.inData = in.data();
    record.inRowBytes = 3;
    record.outData = out.data();
    record.outRowBytes = 3;
    processStrip(&record);
    EXPECT_TRUE(columnSumsValid());
    prepareEffect(&record);
    EXPECT_FALSE(columnSumsValid());
    finishEffect(&record);
}

// Settings outside 0..100 (a writer that broke the invariant) are read as the
// nearest bound, so weights stay in 0..1024 and the tone table is never overrun.
TEST_F(PrepareEffectTest, OutOfRangeSettingsAreReadAsTheNearestBound) {
    useSettings(250, 150, -7);
    prepareEffect(&record);
    const EffectTables& tables = effectTables();
    EXPECT_EQ(tables.radius, 96u);
    EXPECT_EQ(tables.amountTable[0], 1024);
    EXPECT_EQ(tables.mistTable[0], 0);
    useSettings(-3, -1, 1000);
    prepareEffect(&record);
    EXPECT_EQ(tables.radius, 1u);
    EXPECT_EQ(tables.amountTable[0], 0);
    EXPECT_EQ(tables.mistTable[0], 63);
}

TEST(WorkBuffer, SizeIsWidthPlus194TimesTwelve) {
    FilterRecord record{};
    const struct {
        Rect filterRect;
        int32 bytes;
    } cases[] = {
        {{0, 0, 10, 100}, (100 + 194) * 12},
        {{5, 7, 9, 8}, (1 + 194) * 12},
        {{0, 0, 0, 0}, 194 * 12},
        {{0, 10, 5, 3}, 194 * 12},  // right before left: no width
        {{-32768, -32768, 32767, 32767}, (65535 + 194) * 12},
    };
    for (const auto& c : cases) {
        record.filterRect = c.filterRect;
        EXPECT_EQ(workBufferSize(&record), c.bytes);
    }
}

TEST(WorkBuffer, AttachCarvesThreeConsecutiveArrays) {
    FilterRecord record{};
    record.filterRect = {0, 3, 10, 53};  // width 50
    std::vector<uint8> block(size_t(workBufferSize(&record)));
    attachWorkBuffer(&record, block.data());
    const ColumnSumArrays& arrays = columnSumArrays();
    for (int32 channel = 0; channel < kColourChannels; ++channel) {
        EXPECT_EQ(reinterpret_cast<uint8*>(arrays.channel[channel]),
                  block.data() + channel * (50 + 194) * 4);
    }
    EXPECT_EQ(arrays.filterWidth, 50);
    EXPECT_EQ(workBufferBlock(), block.data());
    EXPECT_EQ(attachedWorkBufferSize(), int32(block.size()));
}

TEST(WorkBuffer, FinishEffectForgetsTheBuffer) {
    FilterRecord record{};
    record.filterRect = {0, 0, 10, 10};
    std::vector<uint8> block(size_t(workBufferSize(&record)));
    attachWorkBuffer(&record, block.data());
    finishEffect(&record);
    EXPECT_EQ(columnSumArrays().channel[0], nullptr);
    EXPECT_EQ(workBufferBlock(), nullptr);
    EXPECT_EQ(attachedWorkBufferSize(), 0);
}

}  // namespace
