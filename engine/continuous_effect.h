// The effect on real values instead of bytes, for pictures finer than 8 bits a
// channel: the exact mean of the same box (edges repeated outward), the darkness
// weight from the luminance (2R + 5G + B) / 8 clipped to 0..1, the blend toward
// the mean by Amount times that weight, then the black lift by Mist. Nothing is
// rounded to a level; only the settings keep the byte engine's steps (Amount in
// 1024ths, the lift in 255ths), so both paths agree within a level. Values outside
// 0..1 go through the same formulas unclipped.
#pragma once

#include <cstddef>

#include "engine/engine_types.h"

// What one set of settings becomes; caller-owned plain data, one per caller or
// shared read-only by any number of them.
struct ContinuousEffect {
    int32 radius;   // 1..96: the byte engine's radius at the host's own scale
    double amount;  // 0..1: the weight of the darkest pixel
    double lift;    // 0..63/255: the output value of black
};

// settings each limited to 0..100.
void prepareContinuousEffect(ContinuousEffect* effect, int32 radiation, int32 amount, int32 mist);

constexpr int32 kMaxPixelFloats = 4;

// Interleaved float pixels, 3 or 4 values each (R, G, B first; a fourth, such as
// alpha, is never written), rows `rowFloats` values apart.
// The rectangle is in a coordinate system common to input and output; bottom and
// right exclusive.
struct FloatBlock {
    float* data;  // first value of pixel (top, left)
    ptrdiff_t rowFloats;
    int32 pixelFloats;
    int32 top, left, bottom, right;
};

// Scratch bytes filterFloatPixels needs for an output `width` pixels wide.
size_t continuousWorkBytes(int32 width);

// Writes R, G, B of every pixel of `output` from `input`, read with its edges
// repeated outward (a caller that supplies the output grown by 96 before and 97
// after, clipped to the picture, gets the whole picture's values, the same in any
// tiling). `work` holds at least continuousWorkBytes(output width) bytes, 8-byte
// aligned. The box means take each value to within 2^-20; a value beyond +-16
// counts in them as +-16. A NaN in the input counts as 0
// and an infinity as the largest finite float, so the output holds neither.
// False, writing nothing, when a block is unusable (null, other than 3 or 4 values
// a pixel, rows overlapping, no overlap of input and output) or the work area is
// too small; true at once for an empty output.
bool filterFloatPixels(const ContinuousEffect& effect, void* work, size_t workBytes,
                       const FloatBlock& input, const FloatBlock& output);
