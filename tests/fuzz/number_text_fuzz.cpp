// libFuzzer target: arbitrary typed text through the number parsers, and the
// input's first bytes as a number to show.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "text/text_toolkit.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

constexpr float kParseLimit = 2147483648.0f;  // the 32-bit accumulator's reach

void fuzzLStringParse(const uint8_t* data, size_t size) {
    // Exactly n + 1 bytes, so a read past the text is a heap overflow.
    const size_t length = size < size_t(kLStringCapacity) ? size : size_t(kLStringCapacity);
    std::vector<uint8> lstring(length + 1);
    lstring[0] = uint8(length);
    if (length != 0) std::memcpy(lstring.data() + 1, data, length);
    const float value = lstringToNumber(lstring.data());
    require(!std::isnan(value) && std::fabs(value) <= kParseLimit);
}

void fuzzWholeNumberParse(const uint8_t* data, size_t size) {
    std::vector<char> text(size + 1, '\0');
    if (size != 0) std::memcpy(text.data(), data, size);
    int32 value = 0;
    if (!parseWholeNumber(text.data(), value)) return;
    // An accepted number prints back to a text that reads as the same number.
    uint8 printed[kLStringBufferSize];
    intToLString(value, printed);
    char printedText[kLStringBufferSize];
    lstringToCString(printed, printedText);
    int32 again = 0;
    require(parseWholeNumber(printedText, again) && again == value);
    require(lstringToNumber(printed) == float(value) || value == INT32_MIN);
}

void fuzzNumberText(const uint8_t* data, size_t size) {
    if (size < sizeof(float) + 1) return;
    float x;
    std::memcpy(&x, data, sizeof x);
    const int32 decimals = int32(int8_t(data[sizeof x]));
    uint8 text[kLStringBufferSize];
    signedFixedToLString(x, decimals, text, decimals & 1);
    for (int32 i = 1; i <= text[0]; ++i) {
        const uint8 c = text[i];
        require((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzLStringParse(data, size);
    fuzzWholeNumberParse(data, size);
    fuzzNumberText(data, size);
    return 0;
}
