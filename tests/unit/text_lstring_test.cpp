// Length-prefixed strings: copies, appends and the conversions to and from
// zero-terminated text, including the cut at 255 characters.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "text/text_toolkit.h"

namespace {

struct LString {
    uint8 bytes[kLStringBufferSize];
};

LString makeLString(const std::string& text) {
    LString result;
    std::memset(result.bytes, 0xEE, sizeof result.bytes);  // no accidental zeros to lean on
    result.bytes[0] = uint8(text.size());
    std::memcpy(result.bytes + 1, text.data(), text.size());
    return result;
}

std::string textOf(const uint8* lstring) {
    return std::string(reinterpret_cast<const char*>(lstring + 1), lstring[0]);
}

TEST(TextLString, CopyTakesLengthByteAndCharactersOnly) {
    LString source = makeLString("abc");
    LString target = makeLString("0123456789");
    copyLString(source.bytes, target.bytes);
    EXPECT_EQ(textOf(target.bytes), "abc");
    // n + 1 bytes: what lies behind the copied characters is untouched.
    EXPECT_EQ(target.bytes[4], uint8('3'));
}

TEST(TextLString, CopyOfEmptyStringWritesOnlyTheLengthByte) {
    LString source = makeLString("");
    LString target = makeLString("xyz");
    copyLString(source.bytes, target.bytes);
    EXPECT_EQ(target.bytes[0], 0);
    EXPECT_EQ(target.bytes[1], uint8('x'));
}

TEST(TextLString, CopyOfFullStringTakes256Bytes) {
    LString source = makeLString(std::string(255, 'q'));
    LString target = makeLString("");
    copyLString(source.bytes, target.bytes);
    EXPECT_EQ(textOf(target.bytes), std::string(255, 'q'));
}

struct AppendCase {
    std::string target;
    std::string source;
    std::string expected;
};

class TextLStringAppend : public ::testing::TestWithParam<AppendCase> {};

TEST_P(TextLStringAppend, KeepsWhatFitsIn255Characters) {
    const AppendCase& c = GetParam();
    LString source = makeLString(c.source);
    LString target = makeLString(c.target);
    appendLString(source.bytes, target.bytes);
    EXPECT_EQ(textOf(target.bytes), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLStringAppend,
    ::testing::Values(AppendCase{"", "", ""}, AppendCase{"ab", "", "ab"},
                      AppendCase{"", "cd", "cd"}, AppendCase{"ab", "cd", "abcd"},
                      // 10 characters onto 250 keep 5 of them and give length 255.
                      AppendCase{std::string(250, 'a'), "0123456789",
                                 std::string(250, 'a') + "01234"},
                      AppendCase{std::string(255, 'a'), "xyz", std::string(255, 'a')},
                      AppendCase{std::string(254, 'a'), "xyz", std::string(254, 'a') + "x"},
                      AppendCase{std::string(200, 'a'), std::string(55, 'b'),
                                 std::string(200, 'a') + std::string(55, 'b')},
                      AppendCase{std::string(200, 'a'), std::string(255, 'b'),
                                 std::string(200, 'a') + std::string(55, 'b')}));

TEST(TextLString, AppendToItselfDoublesTheText) {
    LString text = makeLString("abc");
    appendLString(text.bytes, text.bytes);
    EXPECT_EQ(textOf(text.bytes), "abcabc");
}

TEST(TextLString, AppendOfLongStringToItselfStopsAt255) {
    LString text = makeLString(std::string(200, 'z'));
    appendLString(text.bytes, text.bytes);
    EXPECT_EQ(textOf(text.bytes), std::string(255, 'z'));
}

TEST(TextLString, ToCStringAddsZeroAfterTheCharacters) {
    LString source = makeLString("Lumiveil");
    char target[kLStringBufferSize];
    std::memset(target, 'x', sizeof target);
    lstringToCString(source.bytes, target);
    EXPECT_STREQ(target, "Lumiveil");
}

TEST(TextLString, ToCStringOfFullStringFillsTheWholeBuffer) {
    LString source = makeLString(std::string(255, 'k'));
    char target[kLStringBufferSize];
    lstringToCString(source.bytes, target);
    EXPECT_EQ(std::strlen(target), 255u);
    EXPECT_EQ(target[255], '\0');
}

TEST(TextLString, ToCStringInPlaceShiftsTheText) {
    LString text = makeLString("abc");
    lstringToCString(text.bytes, reinterpret_cast<char*>(text.bytes));
    EXPECT_STREQ(reinterpret_cast<const char*>(text.bytes), "abc");
}

struct FromCCase {
    std::string text;
    std::string expected;
};

class TextLStringFromC : public ::testing::TestWithParam<FromCCase> {};

TEST_P(TextLStringFromC, TakesAtMost255Characters) {
    const FromCCase& c = GetParam();
    LString target = makeLString("old");
    cStringToLString(c.text.c_str(), target.bytes);
    EXPECT_EQ(textOf(target.bytes), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextLStringFromC,
                         ::testing::Values(FromCCase{"", ""}, FromCCase{"a.prm", "a.prm"},
                                           FromCCase{std::string(255, 'm'), std::string(255, 'm')},
                                           FromCCase{std::string(256, 'm'), std::string(255, 'm')},
                                           // 300 characters keep the first 255.
                                           FromCCase{std::string(255, 'f') + std::string(45, 'g'),
                                                     std::string(255, 'f')}));

TEST(TextLString, FromCStringReadsNoFurtherThan255Characters) {
    // No terminator in reach: the conversion must stop after 255 characters.
    char* text = new char[kLStringCapacity];
    std::memset(text, 'n', kLStringCapacity);
    LString target = makeLString("");
    cStringToLString(text, target.bytes);
    EXPECT_EQ(textOf(target.bytes), std::string(255, 'n'));
    delete[] text;
}

TEST(TextLString, FromNullCStringGivesEmptyString) {
    LString target = makeLString("old");
    cStringToLString(nullptr, target.bytes);
    EXPECT_EQ(target.bytes[0], 0);
}

struct IntCase {
    int32 value;
    std::string expected;
};

class TextIntToLString : public ::testing::TestWithParam<IntCase> {};

TEST_P(TextIntToLString, WritesSignAndDigitsWithoutLeadingZeros) {
    const IntCase& c = GetParam();
    LString target = makeLString("garbage");
    intToLString(c.value, target.bytes);
    EXPECT_EQ(textOf(target.bytes), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextIntToLString,
                         ::testing::Values(IntCase{0, "0"}, IntCase{7, "7"}, IntCase{100, "100"},
                                           IntCase{-42, "-42"}, IntCase{-1, "-1"},
                                           IntCase{10, "10"}, IntCase{1000000, "1000000"},
                                           IntCase{INT32_MAX, "2147483647"},
                                           IntCase{INT32_MIN, "-2147483648"}));

}  // namespace
