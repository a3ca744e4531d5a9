// Window capture: BitBlt from the window's own device context, which holds what the
// window and its children drew (WM_PRINT would miss what a dialog paints itself in
// WM_PAINT, such as a preview drawn through the host's displayPixels).
#include "plughost/dialog/dialog_capture.h"

#include <cstdint>
#include <vector>

// stb's writer is compiled once for the whole host, in pictures/stb_impl.cpp.
#include <stb_image_write.h>

namespace {

constexpr int kCaptureBits = 32;  // BGRX, one pixel per 32-bit word
constexpr int kBytesPerCapturedPixel = 4;
constexpr int kPngChannels = 3;  // RGB

// Pixels of the window, top row first, as BGRX words; false when the copy fails.
bool copyWindowPixels(HWND window, int width, int height, std::vector<uint8_t>& pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kCaptureBits;
    info.bmiHeader.biCompression = BI_RGB;

    bool copied = false;
    HDC windowDc = GetWindowDC(window);
    HDC memoryDc = windowDc ? CreateCompatibleDC(windowDc) : nullptr;
    void* bits = nullptr;
    HBITMAP bitmap =
        memoryDc ? CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        copied = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        if (copied) {
            const uint8_t* first = static_cast<const uint8_t*>(bits);
            pixels.assign(first, first + size_t(width) * height * kBytesPerCapturedPixel);
        }
        SelectObject(memoryDc, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memoryDc) DeleteDC(memoryDc);
    if (windowDc) ReleaseDC(window, windowDc);
    return copied;
}

}  // namespace

bool captureWindowToPng(HWND window, const std::string& path, std::string& problem) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();

    RECT frame;
    GetWindowRect(window, &frame);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        problem = "the window has no area to capture";
        return false;
    }
    std::vector<uint8_t> captured;
    if (!copyWindowPixels(window, width, height, captured)) {
        problem = "the window could not be copied (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    std::vector<uint8_t> rgb(size_t(width) * height * kPngChannels);
    for (size_t pixel = 0; pixel < size_t(width) * height; ++pixel) {
        const uint8_t* bgrx = &captured[pixel * kBytesPerCapturedPixel];
        uint8_t* out = &rgb[pixel * kPngChannels];
        out[0] = bgrx[2];
        out[1] = bgrx[1];
        out[2] = bgrx[0];
    }
    if (!stbi_write_png(path.c_str(), width, height, kPngChannels, rgb.data(),
                        width * kPngChannels)) {
        problem = "could not write " + path;
        return false;
    }
    return true;
}
