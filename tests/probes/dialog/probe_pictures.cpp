#include "probe_pictures.h"

namespace {
constexpr int kBitsPerPixel = 32;
constexpr int kRgbBytes = 3;
constexpr int kFullChannel = 255;
}  // namespace

HBITMAP makeSolidBitmap(int width, int height, COLORREF colour) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    // A DIB pixel is 0x00RRGGBB, a COLORREF 0x00BBGGRR.
    uint32_t pixel = (uint32_t(GetRValue(colour)) << 16) | (uint32_t(GetGValue(colour)) << 8) |
                     GetBValue(colour);
    uint32_t* words = static_cast<uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) words[i] = pixel;
    return bitmap;
}

std::vector<uint8_t> makePreviewPixels() {
    std::vector<uint8_t> pixels(size_t(kPreviewWidth) * kPreviewHeight * kRgbBytes);
    for (int row = 0; row < kPreviewHeight; ++row) {
        for (int column = 0; column < kPreviewWidth; ++column) {
            uint8_t* pixel = &pixels[(size_t(row) * kPreviewWidth + column) * kRgbBytes];
            pixel[0] = kFullChannel;
            pixel[1] = uint8_t(row * kFullChannel / (kPreviewHeight - 1));
            pixel[2] = uint8_t(column * kFullChannel / (kPreviewWidth - 1));
        }
    }
    return pixels;
}
