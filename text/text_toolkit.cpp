#include "text/text_toolkit.h"

#include <cfloat>
#include <cstring>

// The number texts must come out the same on every build. Single precision
// evaluated as single precision (SSE, not x87) is what makes 0.125 with two places
// read "0.12" everywhere; a build that keeps extra precision would show other digits.
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must be evaluated in single precision");

const float roundingTable[kMaxRoundingPlaces + 1] = {
    0.5f, 0.05f, 0.005f, 0.0005f, 0.00005f, 0.000005f, 0.0000005f, 0.00000005f, 5e-9f, 5e-10f};

const int32 powersOfTen[kMaxDecimalPlaces + 1] = {1, 10, 100, 1000};

namespace {

constexpr float kDigitMultiplier = 10.0f;
constexpr int32 kDecimalBase = 10;
constexpr int32 kLargestDigit = 9;
constexpr uint8 kSpace = 0x20;
constexpr uint8 kNonBreakingSpace = 0xCA;  // the Mac Roman blank, skipped like a space
// 2147483648.0f: the first single-precision value whose whole part leaves int32.
constexpr float kFirstFloatPastInt32 = 2147483648.0f;
constexpr int32 kInt32Max = 2147483647;
constexpr int64_t kInt32MinMagnitude = 2147483648LL;

int32 lengthOf(const uint8* lstring) { return lstring[0]; }

// Appends one character if there is room for it.
void appendCharacter(uint8* dst, char character) {
    const int32 length = lengthOf(dst);
    if (length >= kLStringCapacity) return;
    dst[length + 1] = uint8(character);
    dst[0] = uint8(length + 1);
}

int32 clampPlaces(int32 decimals) {
    if (decimals < 0) return 0;
    if (decimals > kMaxRoundingPlaces) return kMaxRoundingPlaces;
    return decimals;
}

bool isDigit(uint8 character) { return character >= '0' && character <= '9'; }

bool isSkippedBlank(uint8 character) {
    return character == kSpace || character == kNonBreakingSpace;
}

bool isWholeNumberBlank(char character) {
    return character == ' ' || character == '\t' || character == '\n' || character == '\r' ||
           character == '\v' || character == '\f';
}

}  // namespace

void copyLString(const uint8* src, uint8* dst) {
    std::memmove(dst, src, size_t(lengthOf(src)) + 1);
}

void appendLString(const uint8* src, uint8* dst) {
    const int32 dstLength = lengthOf(dst);
    int32 taken = lengthOf(src);
    if (dstLength + taken > kLStringCapacity) taken = kLStringCapacity - dstLength;
    // memmove: appending a string to itself reads what it writes.
    std::memmove(dst + 1 + dstLength, src + 1, size_t(taken));
    dst[0] = uint8(dstLength + taken);
}

void lstringToCString(const uint8* src, char* dst) {
    const int32 length = lengthOf(src);
    std::memmove(dst, src + 1, size_t(length));
    dst[length] = '\0';
}

void cStringToLString(const char* src, uint8* dst) {
    int32 length = 0;
    if (src != nullptr) {
        while (length < kLStringCapacity && src[length] != '\0') ++length;
        std::memmove(dst + 1, src, size_t(length));
    }
    dst[0] = uint8(length);
}

void intToLString(int32 value, uint8* dst) {
    // The magnitude in unsigned arithmetic, so that -2147483648 has one too.
    uint32 magnitude = value < 0 ? 0u - uint32(value) : uint32(value);
    char digits[kDecimalBase];  // 4294967295 has ten digits
    int32 count = 0;
    do {
        digits[count++] = char('0' + magnitude % kDecimalBase);
        magnitude /= kDecimalBase;
    } while (magnitude != 0);

    dst[0] = 0;
    if (value < 0) appendCharacter(dst, '-');
    while (count > 0) appendCharacter(dst, digits[--count]);
}

void fixedToLString(float x, int32 decimals, uint8* dst) {
    const int32 places = clampPlaces(decimals);
    if (!(x >= 0.0f)) x = 0.0f;  // negative or not a number

    const float shifted = x + roundingTable[places];
    int32 whole = kInt32Max;
    float fraction = 0.0f;
    if (shifted < kFirstFloatPastInt32) {
        whole = int32(shifted);  // truncated toward zero
        fraction = shifted - float(whole);
    }
    intToLString(whole, dst);
    if (places == 0) return;

    appendCharacter(dst, '.');
    for (int32 place = 0; place < places; ++place) {
        fraction = fraction * kDigitMultiplier;
        int32 digit = int32(fraction);
        // fraction stays below 1, so a digit is 0..9; the guard keeps a rounding
        // accident from ever writing the character after '9'.
        if (digit > kLargestDigit) digit = kLargestDigit;
        if (digit < 0) digit = 0;
        appendCharacter(dst, char('0' + digit));
        fraction = fraction - float(digit);
    }
}

void signedFixedToLString(float x, int32 decimals, uint8* dst, int32 forcePlus) {
    uint8 magnitudeText[kLStringBufferSize];
    if (x < 0.0f) {
        fixedToLString(-x, decimals, magnitudeText);
        dst[0] = 0;
        appendCharacter(dst, '-');
    } else {
        fixedToLString(x, decimals, magnitudeText);
        dst[0] = 0;
        if (forcePlus != 0) appendCharacter(dst, '+');
    }
    appendLString(magnitudeText, dst);
}

float lstringToNumber(const uint8* src) {
    const int32 length = lengthOf(src);
    if (length == 0) return 0.0f;

    int32 value = 0;
    int32 sign = 1;
    int32 divisor = 0;  // 0: no separator yet; else 10^(digits since the last one)
    bool wholePartSaturated = false;

    int32 i = 1;
    while (i < length && isSkippedBlank(src[i])) ++i;
    if (src[i] == '+') {
        ++i;
    } else if (src[i] == '-') {
        sign = -1;
        ++i;
    }
    while (i < length && isSkippedBlank(src[i])) ++i;

    for (; i <= length; ++i) {
        const uint8 character = src[i];
        if (character == '.' || character == ',') {
            divisor = 1;
            continue;
        }
        if (!isDigit(character) || wholePartSaturated) continue;

        const int32 digit = character - '0';
        const bool valueWouldOverflow = value > (kInt32Max - digit) / kDecimalBase;
        if (divisor == 0) {
            if (valueWouldOverflow) {
                value = kInt32Max;
                wholePartSaturated = true;
                continue;
            }
        } else if (valueWouldOverflow || divisor > kInt32Max / kDecimalBase) {
            continue;  // a decimal place beyond the accumulators' reach is dropped
        }
        value = value * kDecimalBase + digit;
        if (divisor != 0) divisor = divisor * kDecimalBase;
    }

    float result = float(value);
    if (sign < 0) result = -result;
    if (divisor != 0) result = result / float(divisor);
    return result;
}

bool parseWholeNumber(const char* text, int32& value) {
    if (text == nullptr) return false;
    const char* cursor = text;
    while (isWholeNumberBlank(*cursor)) ++cursor;
    bool negative = false;
    if (*cursor == '-') {
        negative = true;
        ++cursor;
    }
    if (!isDigit(uint8(*cursor))) return false;

    // 64 bits hold any 32-bit magnitude times ten plus a digit; stop once past range.
    int64_t magnitude = 0;
    const int64_t limit = negative ? kInt32MinMagnitude : int64_t(kInt32Max);
    while (isDigit(uint8(*cursor))) {
        magnitude = magnitude * kDecimalBase + (*cursor - '0');
        if (magnitude > limit) return false;
        ++cursor;
    }
    if (*cursor != '\0') return false;

    value = negative ? int32(-magnitude) : int32(magnitude);
    return true;
}
