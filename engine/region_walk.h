// Runs the effect engine over one rectangle of a layer, strip by strip, reading
// the layer's own pixels around it: wherever the box reaches past the rectangle
// it sees real layer pixels, and beyond the layer's edge it sees that edge
// repeated, as the module sees them from a host that pads its input. The caller
// supplies the pixel reads and writes; every run has its own effect state, work
// area and buffers, so any number may run at once.
#pragma once

#include "engine/engine_types.h"

// Rows of output per strip: the module's strip height, so progress moves alike.
constexpr int32 kRegionStripHeight = 32;
// A side may be at most 32767 - 97 pixels, as in the module, whose host
// coordinates are 16-bit and must hold the rectangle plus the kernel's margins.
constexpr int32 kLargestRegionSide = 32670;

// A rectangle of layer pixels; width and height at least 1 when in use.
struct PixelArea {
    int32 left;
    int32 top;
    int32 width;
    int32 height;
};

// Interleaved 8-bit pixels, `planes` bytes each, rows `rowBytes` apart.
struct PixelRows {
    uint8* data;
    int32 rowBytes;
};

// Reads an area lying inside the layer into rows; false stops the run.
using ReadLayerPixels = bool (*)(void* context, const PixelArea& area, PixelRows rows);
// Takes one finished strip of the output (the next rows down the rectangle); its
// bytes past the third of each pixel hold the input's. False stops the run.
using WriteStrip = bool (*)(void* context, const PixelArea& strip, PixelRows rows);
// Told how many of the rectangle's rows are done; false stops the run (never
// called when null).
using ReportRows = bool (*)(void* context, int32 rowsDone, int32 rowsTotal);

struct RegionJob {
    int32 radiation;  // each 0..100
    int32 amount;
    int32 mist;
    int32 layerWidth;
    int32 layerHeight;
    PixelArea target;  // inside the layer
    int32 planes;      // 3 (RGB) or 4 (RGB and alpha, which is carried through)
    void* context;     // handed to the three callbacks
    ReadLayerPixels read;
    WriteStrip write;
    ReportRows report;
};

enum class RegionResult { done, stopped, tooLarge, outOfMemory };

// Filters job.target; writes every strip of it in order, top to bottom, unless a
// callback stops the run. Keeps nothing between runs.
RegionResult filterRegion(const RegionJob& job);
