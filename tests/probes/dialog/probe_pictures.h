// Pictures the probe draws itself, so the tests can find them in screenshots: solid
// blocks of known colours made at run time, and the pixel map it hands the host's
// displayPixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A width x height bitmap of one colour; the caller deletes it.
HBITMAP makeSolidBitmap(int width, int height, COLORREF colour);

// The probe's preview: interleaved RGB rows, red 255, green rising down the rows, blue
// rising along them.
constexpr int kPreviewWidth = 64;
constexpr int kPreviewHeight = 48;
std::vector<uint8_t> makePreviewPixels();
