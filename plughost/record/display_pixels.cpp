#include "plughost/record/display_pixels.h"

#include <windows.h>

#include <vector>

#include "plughost/cli/trace.h"
#include "plughost/pictures/host_image.h"
#include "plughost/pictures/image_files.h"
#include "plughost/record/callback_clock.h"
#include "sdk/host_constants.h"

namespace {

constexpr int32 kPixelMapVersion = 1;
constexpr int32 kBytesPerDibPixel = 4;  // blue, green, red, unused
constexpr int32 kDibBitCount = 32;
constexpr int kColorPlanes = 3;

int callCount = 0;
HostImage lastShown;  // RGB pixels of the last call's source rectangle

std::string vrectText(const VRect& r) {
    return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
           "," + std::to_string(r.right);
}

bool vrectInside(const VRect& inner, const VRect& outer) {
    return inner.top >= outer.top && inner.left >= outer.left && inner.bottom <= outer.bottom &&
           inner.right <= outer.right && inner.bottom >= inner.top && inner.right >= inner.left;
}

// Reads the source rectangle into RGB, honouring rowBytes, colBytes and planeBytes.
void readPixels(const PSPixelMap& map, const VRect& area) {
    const int32 width = area.right - area.left;
    const int32 height = area.bottom - area.top;
    lastShown.width = width;
    lastShown.height = height;
    lastShown.planes = kColorPlanes;
    lastShown.pixels.assign(size_t(width) * size_t(height) * kColorPlanes, 0);
    const bool gray = map.imageMode == plugInModeGrayScale;
    const uint8* base = static_cast<const uint8*>(map.baseAddr);
    for (int32 y = 0; y < height; ++y) {
        for (int32 x = 0; x < width; ++x) {
            const uint8* pixel = base + ptrdiff_t(area.top - map.bounds.top + y) * map.rowBytes +
                                 ptrdiff_t(area.left - map.bounds.left + x) * map.colBytes;
            uint8* shown = &lastShown.pixels[pixelOffset(lastShown, y, x)];
            for (int p = 0; p < kColorPlanes; ++p) {
                shown[p] = gray ? pixel[0] : pixel[ptrdiff_t(p) * map.planeBytes];
            }
        }
    }
}

void draw(HDC context, int32 dstRow, int32 dstCol) {
    const int32 width = lastShown.width;
    const int32 height = lastShown.height;
    std::vector<uint8> bits(size_t(width) * size_t(height) * kBytesPerDibPixel, 0);
    for (int32 y = 0; y < height; ++y) {
        for (int32 x = 0; x < width; ++x) {
            const uint8* rgb = &lastShown.pixels[pixelOffset(lastShown, y, x)];
            uint8* dib = &bits[(size_t(y) * size_t(width) + size_t(x)) * kBytesPerDibPixel];
            dib[0] = rgb[2];
            dib[1] = rgb[1];
            dib[2] = rgb[0];
        }
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kDibBitCount;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(context, dstCol, dstRow, DWORD(width), DWORD(height), 0, 0, 0, UINT(height),
                      bits.data(), &info, DIB_RGB_COLORS);
}

}  // namespace

extern "C" OSErr hostDisplayPixels(const PSPixelMap* source, const VRect* srcRect, int32 dstRow,
                                   int32 dstCol, void* platformContext) {
    CallbackClock clock;
    ++callCount;
    if (source == nullptr || srcRect == nullptr) {
        traceLine("display source=%s srcRect=%s -> %d", source ? "ok" : "null",
                  srcRect ? "ok" : "null", int(paramErr));
        return paramErr;
    }
    const std::string head = "display bounds=" + vrectText(source->bounds) +
                             " src=" + vrectText(*srcRect) + " dst=" + std::to_string(dstRow) +
                             "," + std::to_string(dstCol) +
                             " version=" + std::to_string(source->version) +
                             " mode=" + std::to_string(source->imageMode) +
                             " rowBytes=" + std::to_string(source->rowBytes) +
                             " colBytes=" + std::to_string(source->colBytes) +
                             " planeBytes=" + std::to_string(source->planeBytes);
    std::string problem;
    if (source->version < kPixelMapVersion)
        problem = "pixel map version below 1";
    else if (source->baseAddr == nullptr)
        problem = "baseAddr is null";
    else if (!vrectInside(*srcRect, source->bounds))
        problem = "srcRect lies outside bounds";
    else if (platformContext == nullptr)
        problem = "no device context";
    if (!problem.empty()) {
        traceLine("note display: %s", problem.c_str());
        traceLine("%s -> %d", head.c_str(), int(paramErr));
        return paramErr;
    }
    readPixels(*source, *srcRect);
    draw(static_cast<HDC>(platformContext), dstRow, dstCol);
    traceLine("%s -> 0", head.c_str());
    return noErr;
}

int displayPixelsCalls() { return callCount; }

bool saveLastDisplay(const std::string& path, std::string* error) {
    if (callCount == 0 || lastShown.width == 0 || lastShown.height == 0) {
        *error = "displayPixels drew nothing, so there is nothing to save in " + path;
        return false;
    }
    return savePngFile(path, lastShown, error);
}
