#include "plughost/pictures/host_image.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint8 kFull = 255;
constexpr int32 kCheckerCell = 8;       // pixels per checkerboard square
constexpr int32 kBarWidthDivisor = 16;  // the white bar is 1/16 of the width, at least 1 pixel
constexpr int32 kDarkShift = 3;         // the dark quarter is 1/8 as bright
constexpr int32 kAlphaColumnStep = 5;
constexpr int32 kAlphaRowStep = 3;
constexpr int32 kAlphaPlane = 3;
constexpr int32 kExtraPlaneStep = 41;
constexpr int32 kColourPlanes = 3;

uint8 ramp(int32 at, int32 extent) { return extent > 1 ? uint8(at * kFull / (extent - 1)) : 0; }

}  // namespace

bool parsePatternText(const std::string& text, int32* width, int32* height) {
    static const std::string kPrefix = "pattern:";
    if (text.compare(0, kPrefix.size(), kPrefix) != 0) return false;
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text.c_str() + kPrefix.size(), "%dx%d%c", &w, &h, &tail) != 2) return false;
    if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) return false;
    *width = w;
    *height = h;
    return true;
}

HostImage makeTestPattern(int32 width, int32 height, int32 planes) {
    HostImage image;
    drawTestPattern(width, height, planes, &image);
    return image;
}

void drawTestPattern(int32 width, int32 height, int32 planes, HostImage* picture) {
    HostImage& image = *picture;
    image.width = width;
    image.height = height;
    image.planes = planes;
    // assign keeps the vector's memory when it is large enough: fresh memory costs
    // more than drawing the pattern.
    image.pixels.assign(size_t(width) * size_t(height) * size_t(planes), 0);
    const int32 barLeft = width / 4;
    const int32 barRight = barLeft + (width / kBarWidthDivisor > 0 ? width / kBarWidthDivisor : 1);
    // The ramps by column and by diagonal, worked out once: a division per pixel
    // and plane would cost more than the rest of the drawing.
    std::vector<uint8> columnRamp(static_cast<size_t>(width));
    std::vector<uint8> diagonalRamp(static_cast<size_t>(width) + static_cast<size_t>(height));
    for (int32 x = 0; x < width; ++x) columnRamp[size_t(x)] = ramp(x, width);
    for (int32 d = 0; d < width + height - 1; ++d)
        diagonalRamp[size_t(d)] = ramp(d, width + height - 1);
    for (int32 y = 0; y < height; ++y) {
        const uint8 rowRamp = ramp(y, height);
        uint8* pixel = &image.pixels[pixelOffset(image, y, 0)];
        for (int32 x = 0; x < width; ++x, pixel += planes) {
            uint8 rgb[3] = {columnRamp[size_t(x)], rowRamp, diagonalRamp[size_t(x + y)]};
            const bool topRight = x >= width / 2 && y < height / 2;
            const bool bottomLeft = x < width / 2 && y >= height / 2;
            if (topRight) {
                const uint8 cell = ((x / kCheckerCell + y / kCheckerCell) & 1) ? kFull : 0;
                rgb[0] = rgb[1] = cell;
            }
            if (x >= barLeft && x < barRight) rgb[0] = rgb[1] = rgb[2] = kFull;
            if (bottomLeft) {
                for (uint8& c : rgb) c = uint8(c >> kDarkShift);
            }
            for (int32 p = 0; p < kColourPlanes && p < planes; ++p) pixel[p] = rgb[p];
        }
    }
    if (planes > kAlphaPlane) fillAlphaPattern(&image);
}

uint8 alphaPatternValue(int32 row, int32 column) {
    return uint8((kAlphaColumnStep * column + kAlphaRowStep * row) & 0xFF);
}

uint8 extraPlaneValue(int32 plane, int32 row, int32 column) {
    return uint8((alphaPatternValue(row, column) + kExtraPlaneStep * (plane - kAlphaPlane)) & 0xFF);
}

void fillExtraPlanes(HostImage* image, int32 firstPlane) {
    const int32 first = firstPlane > kAlphaPlane ? firstPlane : kAlphaPlane;
    if (image->planes <= first) return;
    for (int32 y = 0; y < image->height; ++y) {
        for (int32 x = 0; x < image->width; ++x) {
            uint8* pixel = &image->pixels[pixelOffset(*image, y, x)];
            for (int32 p = first; p < image->planes; ++p) pixel[p] = extraPlaneValue(p, y, x);
        }
    }
}

void fillAlphaPattern(HostImage* image) { fillExtraPlanes(image, kAlphaPlane); }

HostMask makeEllipseMask(int32 width, int32 height, const Rect& selection) {
    HostMask mask;
    mask.width = width;
    mask.height = height;
    mask.values.assign(size_t(width) * size_t(height), 0);
    const int64_t w = selection.right - selection.left;
    const int64_t h = selection.bottom - selection.top;
    if (w <= 0 || h <= 0) return mask;
    // Pixel centres in doubled coordinates, so the test stays in integers.
    const int64_t centreX = selection.left + selection.right;
    const int64_t centreY = selection.top + selection.bottom;
    for (int32 y = selection.top; y < selection.bottom; ++y) {
        for (int32 x = selection.left; x < selection.right; ++x) {
            const int64_t dx = 2 * int64_t(x) + 1 - centreX;
            const int64_t dy = 2 * int64_t(y) + 1 - centreY;
            if (dx * dx * h * h + dy * dy * w * w <= w * w * h * h) {
                mask.values[size_t(y) * size_t(width) + size_t(x)] = kFull;
            }
        }
    }
    return mask;
}
