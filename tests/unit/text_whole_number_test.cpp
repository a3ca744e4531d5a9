// Whole numbers as GetDlgItemInt reads them with signed translation.
#include <gtest/gtest.h>

#include <string>

#include "text/text_toolkit.h"

namespace {

struct WholeCase {
    std::string text;
    bool accepted;
    int32 expected;  // meaningful when accepted
};

class TextParseWholeNumber : public ::testing::TestWithParam<WholeCase> {};

TEST_P(TextParseWholeNumber, AcceptsBlanksSignAndDigitsOnly) {
    const WholeCase& c = GetParam();
    const int32 untouched = -777;
    int32 value = untouched;
    EXPECT_EQ(parseWholeNumber(c.text.c_str(), value), c.accepted) << '"' << c.text << '"';
    EXPECT_EQ(value, c.accepted ? c.expected : untouched) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextParseWholeNumber,
    ::testing::Values(WholeCase{"150", true, 150}, WholeCase{" 55", true, 55},
                      WholeCase{"55", true, 55}, WholeCase{"0", true, 0}, WholeCase{"-0", true, 0},
                      WholeCase{"-42", true, -42}, WholeCase{"\t 7", true, 7},
                      WholeCase{"007", true, 7}, WholeCase{"-", false, 0}, WholeCase{"", false, 0},
                      WholeCase{"   ", false, 0}, WholeCase{"abc", false, 0},
                      WholeCase{"12a", false, 0}, WholeCase{"12 ", false, 0},
                      WholeCase{"1 2", false, 0}, WholeCase{"12.5", false, 0},
                      WholeCase{"- 5", false, 0}, WholeCase{"--5", false, 0},
                      WholeCase{"+5", false, 0}, WholeCase{"2147483647", true, 2147483647},
                      WholeCase{"-2147483648", true, INT32_MIN}, WholeCase{"2147483648", false, 0},
                      WholeCase{"-2147483649", false, 0}, WholeCase{"4294967346", false, 0},
                      WholeCase{"00000000000000000000000000012", true, 12},
                      WholeCase{"99999999999999999999999999999", false, 0}));

TEST(TextParseWholeNumber, NullTextIsRejected) {
    int32 value = 3;
    EXPECT_FALSE(parseWholeNumber(nullptr, value));
    EXPECT_EQ(value, 3);
}

}  // namespace
