// The effect as a value: every pixel moved toward the rounded mean of the box around
// it, weighted by darkness, then through the tone table. Everything a run keeps lives
// in the caller's EffectState and EffectWork, so any number of callers may filter at
// once, each with its own pair.
#pragma once

#include "engine/effect_tables.h"
#include "engine/engine_types.h"
#include "engine/fast_kernel_constants.h"
#include "engine/kernel_choice.h"

// Margins every caller must supply around the output rectangle for the largest box.
constexpr int32_t kMarginBefore = 96;  // rows above, columns to the left
constexpr int32_t kMarginAfter = 97;   // rows below, columns to the right

// Where the column sums stand between calls. They carry over only to a call that
// continues the walk: the next rows, the same columns, the same input columns, the
// same kernel.
struct ColumnWalk {
    bool valid;
    int32 nextRow;
    int32 left;
    int32 width;
    int32 firstReadColumn;
    int32 lastReadColumn;
    KernelChoice kernel;  // the kernel that filtered last, whose sums the work area holds
};

// Everything derived from one set of settings, plus where the kernel's column sums
// stand between calls. Caller-owned, plain data; one per concurrent caller. Before
// the first preparation it holds a 3 x 3 box and empty tables, which the optimised
// kernel leaves to the plain one.
struct EffectState {
    EffectTables tables = {1, 3, 9, 4, {}, {}};
    FastKernelConstants fastConstants = {};
    ColumnWalk walk = {false, 0, 0, 0, 0, 0, KernelChoice::plain};
    // Which kernel filterPixels may use and how wide its vectors may be; preparing
    // keeps both.
    KernelChoice kernel = KernelChoice::optimised;
    VectorLevel vectorLevel = VectorLevel::widest;
};

// settings each limited to 0..100; inputRate is 16.16 fixed point, <= 0 reads as 1.0
// (0x10000). Forgets any column sums carried from an earlier call.
void prepareEffectState(EffectState* state, int32_t radiation, int32_t amount, int32_t mist,
                        int32_t inputRate);

// The next call builds its column sums from scratch.
void forgetColumnSums(EffectState* state);
// Which kernel filterPixels may use, and the widest vectors the optimised one may use.
void chooseEffectKernel(EffectState* state, KernelChoice kernel, VectorLevel level);

// A caller-owned scratch block for output rectangles up to `maxWidth` pixels wide.
size_t effectWorkBytes(int32_t maxWidth);
struct EffectWork {
    void* block;  // at least effectWorkBytes(maxWidth) bytes, any alignment
    size_t bytes;
    int32_t maxWidth;
};

// Interleaved 8-bit pixels; pixelBytes >= 3 (R, G, B first; bytes after the third are
// never written by the engine and never influence colour). The rectangle is in any
// coordinate system common to input and output; bottom/right exclusive.
struct PixelBlock {
    uint8_t* data;  // first byte of pixel (top, left)
    ptrdiff_t rowBytes;
    int32_t pixelBytes;
    int32_t top, left, bottom, right;
};

// Whether filterPixels can fill `output` from `input` with `work` without reading or
// writing outside them: both blocks present with 3 or more bytes a pixel and strides
// covering their rows, the input non-empty and overlapping the output, and the work
// area present and at least as wide as the output. True for an empty output (there
// is nothing to do).
bool filterPixelsUsable(const EffectWork& work, const PixelBlock& input, const PixelBlock& output);

// Writes bytes 0..2 of every pixel of `output` from `input`. The input is read with
// its edges repeated outward (a row/column outside it reads as the nearest inside),
// so a caller that supplies output grown by kMarginBefore/kMarginAfter (clipped to
// the picture) gets the module's exact bytes. Consecutive calls that continue
// a walk down the same columns reuse the column sums (as the module's strips do).
// Returns false and writes nothing when input/output/work are unusable (null data,
// pixelBytes < 3, strides too small, no overlap, output wider than work.maxWidth);
// the next call then starts afresh. An empty output is done at once.
bool filterPixels(EffectState* state, const EffectWork& work, const PixelBlock& input,
                  const PixelBlock& output);
