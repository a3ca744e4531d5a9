// One request of the GEGL operation, GEGL-free: the effect over an output rectangle
// of 8-bit RGBA pixels, from an input block around it. Everything it needs (the
// engine's state and work area) is its own for the call, so GEGL's worker threads
// may run any number of passes at once.
#pragma once

#include <cstdint>

#include "engine/effect_engine.h"

// The operation's three properties, each 0..100.
struct AreaSettings {
    int32_t radiation;
    int32_t amount;
    int32_t mist;
};

// Bytes per pixel of the operation's pixel format, R'G'B'A u8.
constexpr int32_t kAreaPixelBytes = 4;
// Byte of each pixel that holds alpha: the engine never writes it, so it is
// carried over from the input.
constexpr int32_t kAreaAlphaByte = 3;

// Writes every pixel of `output`: colour from the engine, alpha copied from the
// input pixel at the same place. `input` must cover `output` and reach
// kMarginBefore/kMarginAfter beyond it wherever the picture goes on (clipped to
// the picture: the engine repeats the picture's edge outward). Both blocks are
// kAreaPixelBytes a pixel, in one coordinate system whose origin is the picture's
// top left corner. False when memory for the engine's work area is not to be had
// or the engine refuses the blocks; the output is then not fully written.
bool filterArea(const AreaSettings& settings, const PixelBlock& input, const PixelBlock& output);
