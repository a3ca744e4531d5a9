// Basic types of the filter plug-in host interface: fixed-width integers of the
// same size on Windows (i686, x64) and 64-bit macOS, never `long` (4 bytes on
// Windows x64, 8 on the Mac). Windows-free, so the engine and the tests build natively.
#pragma once

#include <cstdint>

using int16 = int16_t;
using int32 = int32_t;
using uint8 = uint8_t;
using uint16 = uint16_t;
using uint32 = uint32_t;

using Boolean = uint8_t;  // 1 byte, TRUE = 1
using Fixed = int32_t;    // signed 16.16 fixed point, 0x10000 = 1.0
using OSType = uint32_t;  // four-character code, first character most significant
using OSErr = int16_t;
using Ptr = char*;
using Handle = char**;  // opaque host handle: made, locked and freed only through host_memory

// A four-character code as the host stores it: 'abcd' with 'a' in the most significant byte.
constexpr OSType fourCharCode(const char (&code)[5]) {
    return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
           (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}

constexpr Fixed kFixedOne = 0x10000;

struct Point {
    int16 v;  // row
    int16 h;  // column
};

// Host rectangle: bottom and right are exclusive; the empty rectangle is all zeros.
struct Rect {
    int16 top;
    int16 left;
    int16 bottom;
    int16 right;
};

struct VPoint {
    int32 v;
    int32 h;
};

struct VRect {
    int32 top;
    int32 left;
    int32 bottom;
    int32 right;
};

struct RGBColor {
    uint16 red;
    uint16 green;
    uint16 blue;
};

struct PlugInMonitor {
    Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};

using FilterColor = uint8[4];

static_assert(sizeof(Point) == 4 && sizeof(Rect) == 8, "geometry layout");
static_assert(sizeof(VPoint) == 8 && sizeof(VRect) == 16, "geometry layout");
static_assert(sizeof(RGBColor) == 6 && sizeof(PlugInMonitor) == 40, "value type layout");
