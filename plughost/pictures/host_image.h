// The host's document: an 8-bit image with 1 to 8 interleaved planes, the
// built-in test picture, the deterministic planes beyond RGB and the selection mask.
// Windows-free.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sdk/host_types.h"

constexpr int32 kMaxImageSide = 32767;  // the record's sizes and rectangles are signed 16-bit

struct HostImage {
    int32 width = 0;
    int32 height = 0;
    int32 planes = 0;           // 1..8; 3 RGB, 4 RGB + transparency
    std::vector<uint8> pixels;  // rows of width * planes bytes, no padding
};

// One byte per pixel, full image size: 255 selected, 0 not selected.
struct HostMask {
    int32 width = 0;
    int32 height = 0;
    std::vector<uint8> values;
};

inline size_t pixelOffset(const HostImage& image, int32 row, int32 column) {
    return (size_t(row) * size_t(image.width) + size_t(column)) * size_t(image.planes);
}

// Parses "pattern:WxH" (true) into width and height; false for anything else.
bool parsePatternText(const std::string& text, int32* width, int32* height);

// The test picture: smooth gradients, a white bar and a checkerboard (hard
// edges) and a dark quarter at the bottom left. Same bytes on every run.
HostImage makeTestPattern(int32 width, int32 height, int32 planes);
// The same pattern drawn into `image`, reusing its memory.
void drawTestPattern(int32 width, int32 height, int32 planes, HostImage* image);

// The host's transparency plane where the input has none: (5 * column + 3 * row) mod 256.
uint8 alphaPatternValue(int32 row, int32 column);

// Planes from 3 on where the input has none: the alpha pattern shifted by
// 41 per plane beyond the fourth, (5 * column + 3 * row + 41 * (plane - 3)) mod 256,
// so each extra plane differs from the others.
uint8 extraPlaneValue(int32 plane, int32 row, int32 column);

// Fills the planes from `firstPlane` on (never below 3) with extraPlaneValue.
void fillExtraPlanes(HostImage* image, int32 firstPlane);

// Fills plane 3 and beyond of the image with extraPlaneValue.
void fillAlphaPattern(HostImage* image);

// The selection of --mask: the ellipse inscribed in `selection` is 255, the
// rest of the image 0.
HostMask makeEllipseMask(int32 width, int32 height, const Rect& selection);
