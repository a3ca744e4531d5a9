// Length-prefixed strings and the conversions between numbers and text that the
// dialog fields and the parameter storage use. Windows-free.
//
// A length-prefixed string is one length byte n (0..255) followed by n
// single-byte characters, no terminator, in a 256-byte buffer.
#pragma once

#include "sdk/host_types.h"

constexpr int32 kLStringCapacity = 255;
constexpr int32 kMaxDecimalPlaces = 3;  // the largest count a field can show

// 0.5 * 10^-d in single precision, d = 0..9: the rounding offset for d decimals.
extern const float roundingTable[10];
// 1, 10, 100, 1000: a slider value v with d decimals is shown as v / powersOfTen[d].
extern const int32 powersOfTen[kMaxDecimalPlaces + 1];

void copyLString(const uint8* src, uint8* dst);
// Appends as much of src as fits in 255 characters.
void appendLString(const uint8* src, uint8* dst);
// The n characters and a zero byte (dst holds at least 256 bytes).
void lstringToCString(const uint8* src, char* dst);
// At most 255 characters; longer text is cut.
void cStringToLString(const char* src, uint8* dst);
void intToLString(int32 value, uint8* dst);
// Non-negative x with d decimal places (0..9), single-precision steps.
void fixedToLString(float x, int32 decimals, uint8* dst);
void signedFixedToLString(float x, int32 decimals, uint8* dst, int32 forcePlus);
// Lenient parse of a typed number: skips what it does not use, never traps.
float lstringToNumber(const uint8* src);

// GetDlgItemInt's rule with signed translation, for text that did not come from a
// dialog: leading blanks, an optional minus sign, decimal digits, nothing after.
// False for text without digits or out of the 32-bit range.
bool parseWholeNumber(const char* text, int32& value);
