// Numbers with a fixed count of decimal places as field text, and the tables
// behind them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "text/text_toolkit.h"

namespace {

std::string fixedText(float x, int32 decimals) {
    uint8 text[kLStringBufferSize];
    std::memset(text, 0xEE, sizeof text);
    fixedToLString(x, decimals, text);
    return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

std::string signedFixedText(float x, int32 decimals, int32 forcePlus) {
    uint8 text[kLStringBufferSize];
    std::memset(text, 0xEE, sizeof text);
    signedFixedToLString(x, decimals, text, forcePlus);
    return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

// The text of a whole slider value with d decimal places, by integer arithmetic.
std::string sliderText(int32 value, int32 decimals) {
    std::string digits = std::to_string(value);
    if (decimals == 0) return digits;
    if (int32(digits.size()) <= decimals)
        digits.insert(0, size_t(decimals + 1 - digits.size()), '0');
    digits.insert(digits.size() - size_t(decimals), ".");
    return digits;
}

TEST(TextTables, RoundingTableHoldsHalfUnitOfEachDecimalPlace) {
    for (int32 d = 0; d <= kMaxRoundingPlaces; ++d) {
        const float expected = float(0.5L / std::pow(10.0L, d));
        EXPECT_EQ(roundingTable[d], expected) << "entry " << d;
    }
}

TEST(TextTables, PowersOfTenCoverTheFieldDecimalPlaces) {
    EXPECT_EQ(powersOfTen[0], 1);
    EXPECT_EQ(powersOfTen[1], 10);
    EXPECT_EQ(powersOfTen[2], 100);
    EXPECT_EQ(powersOfTen[3], 1000);
}

struct FixedCase {
    float x;
    int32 decimals;
    std::string expected;
};

class TextFixedToLString : public ::testing::TestWithParam<FixedCase> {};

TEST_P(TextFixedToLString, RoundsByOffsetThenCutsDigits) {
    const FixedCase& c = GetParam();
    EXPECT_EQ(fixedText(c.x, c.decimals), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextFixedToLString,
    ::testing::Values(FixedCase{12.5f, 1, "12.5"}, FixedCase{0.1f, 2, "0.10"},
                      FixedCase{99.95f, 1, "100.0"}, FixedCase{49.5f, 0, "50"},
                      // 0.13 is not exact in single precision; digits after the offset are cut.
                      FixedCase{0.125f, 2, "0.12"}, FixedCase{0.0f, 0, "0"},
                      FixedCase{0.0f, 3, "0.000"}, FixedCase{100.0f, 0, "100"},
                      FixedCase{49.4f, 0, "49"}, FixedCase{1.0f, 9, "1.000000000"},
                      FixedCase{7.25f, 3, "7.250"}));

TEST(TextFixedToLString, ShowsEveryWholeSliderValueExactly) {
    for (int32 decimals = 0; decimals <= kMaxDecimalPlaces; ++decimals) {
        for (int32 value = 0; value <= 100000; ++value) {
            const float x = float(value) / float(powersOfTen[decimals]);
            ASSERT_EQ(fixedText(x, decimals), sliderText(value, decimals))
                << "value " << value << ", " << decimals << " places";
        }
    }
}

TEST(TextFixedToLString, PlaceCountOutsideTableIsHeldToItsEnds) {
    EXPECT_EQ(fixedText(3.0f, -4), "3");
    EXPECT_EQ(fixedText(3.0f, 12), "3.000000000");
}

TEST(TextFixedToLString, NegativeOrNotANumberGivesZero) {
    EXPECT_EQ(fixedText(-0.7f, 2), "0.00");
    EXPECT_EQ(fixedText(std::numeric_limits<float>::quiet_NaN(), 1), "0.0");
    EXPECT_EQ(fixedText(-std::numeric_limits<float>::infinity(), 0), "0");
}

TEST(TextFixedToLString, WholePartPastInt32IsHeldAtItsLargestValue) {
    EXPECT_EQ(fixedText(3.0e9f, 2), "2147483647.00");
    EXPECT_EQ(fixedText(std::numeric_limits<float>::infinity(), 1), "2147483647.0");
    EXPECT_EQ(fixedText(std::numeric_limits<float>::max(), 0), "2147483647");
}

TEST(TextFixedToLString, WritesOnlyDigitsAndOnePointForAnyNonNegativeFloat) {
    // Every float in [0, 1) close to a place boundary, and a spread of larger ones.
    for (int32 decimals = 0; decimals <= kMaxRoundingPlaces; ++decimals) {
        float x = 0.0f;
        for (int32 step = 0; step < 200000; ++step) {
            const std::string text = fixedText(x, decimals);
            size_t points = 0;
            for (char c : text) {
                if (c == '.') {
                    ++points;
                } else {
                    ASSERT_TRUE(c >= '0' && c <= '9') << text << " for " << x;
                }
            }
            ASSERT_EQ(points, decimals == 0 ? 0u : 1u) << text;
            x = std::nextafter(x, 2.0f) + (step % 7 == 0 ? 0.0001f : 0.0f);
        }
    }
}

struct SignedCase {
    float x;
    int32 decimals;
    int32 forcePlus;
    std::string expected;
};

class TextSignedFixedToLString : public ::testing::TestWithParam<SignedCase> {};

TEST_P(TextSignedFixedToLString, PutsSignInFrontOfMagnitude) {
    const SignedCase& c = GetParam();
    EXPECT_EQ(signedFixedText(c.x, c.decimals, c.forcePlus), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextSignedFixedToLString,
    ::testing::Values(SignedCase{-12.5f, 1, 0, "-12.5"}, SignedCase{12.5f, 1, 0, "12.5"},
                      SignedCase{12.5f, 1, 1, "+12.5"}, SignedCase{0.0f, 0, 1, "+0"},
                      SignedCase{-49.5f, 0, 0, "-50"}, SignedCase{-0.125f, 2, 0, "-0.12"},
                      SignedCase{-49.5f, 0, 1, "-50"}, SignedCase{50.0f, 0, 0, "50"}));

}  // namespace
