// One request of the GEGL operation, GEGL-free: the effect over an output rectangle
// of RGB or RGBA pixels, 8-bit or float, from an input block around it. Everything
// it needs (the engine's state and work area) is its own for the call, so GEGL's
// worker threads may run any number of passes at once.
#pragma once

#include <cstdint>

#include "engine/continuous_effect.h"
#include "engine/effect_engine.h"

// The operation's three properties, each 0..100.
struct AreaSettings {
    int32_t radiation;
    int32_t amount;
    int32_t mist;
};

// Values a pixel: R, G, B and, when there are four, alpha, which the engines never
// write; it is carried over from the input.
constexpr int32_t kAreaColourValues = 3;
constexpr int32_t kAreaAlphaValues = 4;

// Writes every pixel of `output`: colour from the engine, alpha (if any) copied
// from the input pixel at the same place. `input` must cover `output` and reach
// kMarginBefore/kMarginAfter beyond it wherever the picture goes on (clipped to
// the picture: the engine repeats the picture's edge outward). Both blocks have
// the same 3 or 4 values a pixel, in one coordinate system whose origin is the
// picture's top left corner. False when memory for the engine's work area is not
// to be had or the engine refuses the blocks; the output is then not fully written.
// 8-bit pixels: exactly the module's bytes.
bool filterArea(const AreaSettings& settings, const PixelBlock& input, const PixelBlock& output);
// Float pixels, perceptual values: the effect's continuous counterpart, nothing
// rounded to 8 bits.
bool filterFloatArea(const AreaSettings& settings, const FloatBlock& input,
                     const FloatBlock& output);
