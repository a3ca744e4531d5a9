// The settings store and its accessors, and clampInt.
#include <gtest/gtest.h>

#include "params/effect_settings.h"
#include "params/parameter_set.h"

namespace {

TEST(ClampInt, LimitsToBounds) {
    const int32 cases[][4] = {
        {-5, 0, 100, 0},    {101, 0, 100, 100},     {50, 0, 100, 50},         {0, 0, 100, 0},
        {100, 0, 100, 100}, {INT32_MIN, 0, 100, 0}, {INT32_MAX, 0, 100, 100},
    };
    for (const auto& c : cases) EXPECT_EQ(clampInt(c[0], c[1], c[2]), c[3]) << c[0];
}

TEST(ClampInt, TestsTheLowBoundFirst) {
    // With low above high, 7 is both below low and above high: low wins.
    EXPECT_EQ(clampInt(7, 10, 5), 10);
    EXPECT_EQ(clampInt(20, 10, 5), 5);
}

class SettingsTest : public ::testing::Test {
   protected:
    void SetUp() override {
        for (int32 index = 0; index < kSettingCount; ++index) saved[index] = getSetting(index);
        setSetting(kRadiation, 11);
        setSetting(kAmount, 22);
        setSetting(kMist, 33);
    }
    void TearDown() override {
        for (int32 index = 0; index < kSettingCount; ++index) setSetting(index, saved[index]);
    }
    void expectSettings(int32 radiation, int32 amount, int32 mist) {
        EXPECT_EQ(getSetting(kRadiation), radiation);
        EXPECT_EQ(getSetting(kAmount), amount);
        EXPECT_EQ(getSetting(kMist), mist);
    }
    int32 saved[kSettingCount] = {};
};

TEST_F(SettingsTest, GetSettingReadsEachIndex) {
    expectSettings(11, 22, 33);
    EXPECT_EQ(getRadiation(), 11);
}

TEST_F(SettingsTest, GetSettingOutsideZeroToTwoIsZero) {
    EXPECT_EQ(getSetting(3), 0);
    EXPECT_EQ(getSetting(-1), 0);
    EXPECT_EQ(getSetting(INT32_MIN), 0);
    EXPECT_EQ(getSetting(INT32_MAX), 0);
}

TEST_F(SettingsTest, SetSettingOutsideZeroToTwoChangesNothing) {
    setSetting(3, 99);
    setSetting(-1, 99);
    setSetting(INT32_MIN, 99);
    expectSettings(11, 22, 33);
}

TEST_F(SettingsTest, SetSettingStoresValuesUnclamped) {
    setSetting(kAmount, 150);
    expectSettings(11, 150, 33);
    setSetting(kMist, -4);
    expectSettings(11, 150, -4);
}

TEST_F(SettingsTest, ShowDialogFlagRoundTrips) {
    int32 saved = getShowDialogFlag();
    setShowDialogFlag(0);
    EXPECT_EQ(getShowDialogFlag(), 0);
    setShowDialogFlag(1);
    EXPECT_EQ(getShowDialogFlag(), 1);
    setShowDialogFlag(saved);
}

}  // namespace
