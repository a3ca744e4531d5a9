#include "gegl/area_pass.h"

#include <cstdlib>
#include <new>

namespace {

// The operation reads its pictures at the host's own scale: one input pixel per
// output pixel, the rate a host reports as 1.0 in 16.16 fixed point.
constexpr int32_t kUnitInputRate = 0x10000;
constexpr int32_t kAlphaIndex = 3;

// Pointer to pixel (y, x) of a block of either kind.
template <typename Block>
auto pixelAt(const Block& block, ptrdiff_t row, int32_t y, int32_t x) {
    return block.data + (y - block.top) * row + ptrdiff_t(x - block.left) * kAreaAlphaValues;
}

template <typename Block>
void carryAlpha(const Block& input, ptrdiff_t inRow, const Block& output, ptrdiff_t outRow) {
    for (int32_t y = output.top; y < output.bottom; ++y) {
        auto from = pixelAt(input, inRow, y, output.left);
        auto to = pixelAt(output, outRow, y, output.left);
        for (int32_t x = output.left; x < output.right; ++x) {
            to[kAlphaIndex] = from[kAlphaIndex];
            from += kAreaAlphaValues;
            to += kAreaAlphaValues;
        }
    }
}

}  // namespace

bool filterArea(const AreaSettings& settings, const PixelBlock& input, const PixelBlock& output) {
    int32_t width = output.right - output.left;
    EffectWork work = {nullptr, effectWorkBytes(width), width};
    // Heap, not stack: GEGL's worker threads have small stacks, and the state
    // holds the engine's tables.
    EffectState* state = new (std::nothrow) EffectState;
    work.block = std::malloc(work.bytes);
    bool done = false;
    if (state && work.block) {
        prepareEffectState(state, settings.radiation, settings.amount, settings.mist,
                           kUnitInputRate);
        done = filterPixels(state, work, input, output);
        if (done && input.pixelBytes == kAreaAlphaValues) {
            carryAlpha(input, input.rowBytes, output, output.rowBytes);
        }
    }
    std::free(work.block);
    delete state;
    return done;
}

bool filterFloatArea(const AreaSettings& settings, const FloatBlock& input,
                     const FloatBlock& output) {
    ContinuousEffect effect;
    prepareContinuousEffect(&effect, settings.radiation, settings.amount, settings.mist);
    size_t bytes = continuousWorkBytes(output.right - output.left);
    void* work = std::malloc(bytes);
    bool done = work && filterFloatPixels(effect, work, bytes, input, output);
    if (done && input.pixelFloats == kAreaAlphaValues) {
        carryAlpha(input, input.rowFloats, output, output.rowFloats);
    }
    std::free(work);
    return done;
}
