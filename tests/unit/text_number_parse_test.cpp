// Reading typed numbers: the lenient single-precision parse of field text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/text_toolkit.h"

namespace {

float parse(const std::string& text) {
    uint8 lstring[kLStringBufferSize];
    std::memset(lstring, '7', sizeof lstring);  // digits behind the text must never be read
    lstring[0] = uint8(text.size());
    std::memcpy(lstring + 1, text.data(), text.size());
    return lstringToNumber(lstring);
}

struct ParseCase {
    std::string text;
    float expected;
};

class TextLStringToNumber : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TextLStringToNumber, ReadsTheTypedValue) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(parse(c.text), c.expected) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLStringToNumber,
    ::testing::Values(
        ParseCase{"12.5", 12.5f}, ParseCase{"12,5", 12.5f}, ParseCase{" -3", -3.0f},
        ParseCase{"1 2", 12.0f}, ParseCase{"5%", 5.0f}, ParseCase{"1.2.3", 12.3f},
        ParseCase{"", 0.0f}, ParseCase{".", 0.0f}, ParseCase{"-", 0.0f}, ParseCase{"+7", 7.0f},
        ParseCase{"  +  8", 8.0f}, ParseCase{"- 4", -4.0f},
        ParseCase{"\xCA\xCA-\xCA"
                  "9",
                  -9.0f},
        ParseCase{"0.10", 0.1f}, ParseCase{"100", 100.0f}, ParseCase{"0", 0.0f},
        ParseCase{"abc", 0.0f}, ParseCase{" ", 0.0f},
        // A sign counts only in front of the digits.
        ParseCase{"3-", 3.0f}, ParseCase{"4-2", 42.0f}, ParseCase{"--5", -5.0f},
        ParseCase{"12.", 12.0f}, ParseCase{",75", 0.75f}, ParseCase{"2147483647", 2147483647.0f},
        // Digits beyond the 32-bit accumulator: the whole part saturates...
        ParseCase{"2147483648", 2147483647.0f},
        ParseCase{"99999999999999999999999999999", 2147483647.0f},
        ParseCase{"-99999999999999999999999999999", -2147483647.0f},
        ParseCase{"99999999999999999.5", 2147483647.0f},
        // ...and decimal places the accumulators cannot hold are dropped, not wrapped.
        ParseCase{"12.50000000000000000000000000", 12.5f},
        ParseCase{"0.0000000000000000000000000001", 0.0f},
        ParseCase{"1.999999999999999999999999999", 2.0f}, ParseCase{"4294967346", 2147483647.0f}));

TEST(TextLStringToNumber, ReadsNoFurtherThanTheLengthByte) {
    uint8 lstring[kLStringBufferSize];
    std::memset(lstring, '9', sizeof lstring);
    lstring[0] = 2;
    lstring[1] = '1';
    lstring[2] = '5';
    EXPECT_EQ(lstringToNumber(lstring), 15.0f);
}

TEST(TextLStringToNumber, LoneSignReadsNothingBehindIt) {
    // "-" with a digit right behind the text: the blank skip after the sign must not look at it.
    uint8 lstring[kLStringBufferSize];
    std::memset(lstring, '4', sizeof lstring);
    lstring[0] = 1;
    lstring[1] = '-';
    EXPECT_EQ(lstringToNumber(lstring), 0.0f);
}

TEST(TextLStringToNumber, FullBufferOfDigitsStaysFinite) {
    uint8 lstring[kLStringBufferSize];
    std::memset(lstring, '9', sizeof lstring);
    lstring[0] = kLStringCapacity;
    lstring[100] = '.';
    const float value = lstringToNumber(lstring);
    EXPECT_EQ(value, 2147483647.0f);
}

}  // namespace
