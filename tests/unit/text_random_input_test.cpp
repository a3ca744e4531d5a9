// Seeded random and hostile texts through every text operation: under the
// sanitizers none may trap, read past its text or write past its buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "text/text_toolkit.h"

namespace {

constexpr uint32 kSeed = 20240611u;
constexpr int kRounds = 20000;
constexpr size_t kMaxTextLength = 300;

// Characters the parsers treat specially come up often; any byte can.
uint8 randomCharacter(std::mt19937& random) {
    static const char kInteresting[] = "0123456789.,+- \xCA\t%";
    if (random() % 4 != 0) return uint8(kInteresting[random() % (sizeof kInteresting - 1)]);
    return uint8(random() % 256);
}

TEST(TextRandomInput, LStringParseAcceptsAnyBytes) {
    std::mt19937 random(kSeed);
    for (int round = 0; round < kRounds; ++round) {
        // Exactly length + 1 bytes on the heap, so ASan sees any read past the text.
        const size_t length = random() % (kLStringCapacity + 1);
        std::vector<uint8> lstring(length + 1);
        lstring[0] = uint8(length);
        for (size_t i = 1; i <= length; ++i) lstring[i] = randomCharacter(random);
        const float value = lstringToNumber(lstring.data());
        ASSERT_FALSE(std::isnan(value));
        ASSERT_LE(std::fabs(value), 2147483648.0f);
    }
}

TEST(TextRandomInput, WholeNumberParseAcceptsAnyText) {
    std::mt19937 random(kSeed + 1);
    for (int round = 0; round < kRounds; ++round) {
        const size_t length = random() % (kMaxTextLength + 1);
        std::vector<char> text(length + 1, '\0');
        for (size_t i = 0; i < length; ++i) {
            uint8 character = randomCharacter(random);
            text[i] = char(character == 0 ? '1' : character);
        }
        int32 value = 0;
        const bool accepted = parseWholeNumber(text.data(), value);
        if (accepted) {
            // What was accepted prints back as the same number.
            uint8 printed[kLStringBufferSize];
            intToLString(value, printed);
            int32 again = 0;
            char cText[kLStringBufferSize];
            lstringToCString(printed, cText);
            ASSERT_TRUE(parseWholeNumber(cText, again));
            ASSERT_EQ(again, value);
        }
    }
}

TEST(TextRandomInput, ConversionsKeepWithinTheirBuffers) {
    std::mt19937 random(kSeed + 2);
    for (int round = 0; round < kRounds; ++round) {
        const size_t length = random() % (kMaxTextLength + 1);
        std::vector<char> text(length + 1, '\0');
        for (size_t i = 0; i < length; ++i) text[i] = char(1 + random() % 255);

        std::vector<uint8> first(kLStringBufferSize);
        cStringToLString(text.data(), first.data());
        ASSERT_EQ(size_t(first[0]), length > 255 ? size_t(255) : length);

        std::vector<uint8> second(kLStringBufferSize);
        cStringToLString(text.data() + length / 2, second.data());
        appendLString(second.data(), first.data());
        ASSERT_LE(int(first[0]), 255);

        std::vector<char> back(kLStringBufferSize);
        lstringToCString(first.data(), back.data());
        ASSERT_EQ(std::strlen(back.data()), size_t(first[0]));
    }
}

TEST(TextRandomInput, NumberTextsFitAnyFloatAndPlaceCount) {
    std::mt19937 random(kSeed + 3);
    for (int round = 0; round < kRounds; ++round) {
        uint32 bits = uint32(random());
        float x;
        std::memcpy(&x, &bits, sizeof x);  // any bit pattern: NaN, infinities, subnormals
        const int32 decimals = int32(random() % 30) - 10;
        std::vector<uint8> text(kLStringBufferSize);
        signedFixedToLString(x, decimals, text.data(), int32(random() % 2));
        ASSERT_LE(int(text[0]), 1 + 10 + 1 + kMaxRoundingPlaces);
        intToLString(int32(bits), text.data());
        ASSERT_LE(int(text[0]), 11);
    }
}

}  // namespace
