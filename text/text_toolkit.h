// Length-prefixed strings and the conversions between numbers and text that the
// dialog fields and the parameter storage use. Windows-free.
//
// A length-prefixed string is one length byte n (0..255) followed by n
// single-byte characters, no terminator, in a 256-byte buffer.
#pragma once

#include "sdk/host_types.h"

constexpr int32 kLStringCapacity = 255;
constexpr int32 kLStringBufferSize = kLStringCapacity + 1;  // length byte + characters
constexpr int32 kMaxDecimalPlaces = 3;                      // the largest count a field can show
constexpr int32 kMaxRoundingPlaces = 9;                     // the last entry of roundingTable

// 0.5 * 10^-d in single precision, d = 0..9: the rounding offset for d decimals.
extern const float roundingTable[kMaxRoundingPlaces + 1];
// 1, 10, 100, 1000: a slider value v with d decimals is shown as v / powersOfTen[d].
extern const int32 powersOfTen[kMaxDecimalPlaces + 1];

// The length byte and the n characters (n + 1 bytes); src and dst may overlap.
void copyLString(const uint8* src, uint8* dst);
// Appends as much of src as fits in 255 characters.
void appendLString(const uint8* src, uint8* dst);
// The n characters and a zero byte (dst holds at least 256 bytes).
void lstringToCString(const uint8* src, char* dst);
// At most 255 characters; longer text is cut. A null src gives the empty string.
void cStringToLString(const char* src, uint8* dst);
// "-" for a negative value, then the digits; INT32_MIN included.
void intToLString(int32 value, uint8* dst);
// Non-negative x with d decimal places, every step in single precision. A count
// outside 0..9 is taken as the nearest of 0 and 9. An x that is not a number or
// is negative gives the text of 0; an x whose whole part passes 2147483647 is
// shown with the whole part 2147483647, so the text never holds a non-digit.
void fixedToLString(float x, int32 decimals, uint8* dst);
void signedFixedToLString(float x, int32 decimals, uint8* dst, int32 forcePlus);
// Lenient parse of a typed number: skips what it does not use, never traps.
// The 32-bit accumulators never overflow: a whole part with more digits than
// they hold saturates at 2147483647 (later digits then change nothing), and a
// decimal digit that would overflow either accumulator is dropped, so
// "12.50000000000" still reads 12.5 and the result never flips sign or wraps.
float lstringToNumber(const uint8* src);

// GetDlgItemInt's rule with signed translation, for text that did not come from a
// dialog: leading blanks (space, tab, line breaks), an optional minus sign,
// decimal digits, nothing after. False for a null text, text without digits,
// anything after the digits, or a value outside the 32-bit range; value is then
// left unchanged.
bool parseWholeNumber(const char* text, int32& value);
