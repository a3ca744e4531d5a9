#include "gegl/area_pass.h"

#include <cstdlib>
#include <new>

namespace {

// The operation reads its pictures at the host's own scale: one input pixel per
// output pixel, the rate a host reports as 1.0 in 16.16 fixed point.
constexpr int32_t kUnitInputRate = 0x10000;

void carryAlpha(const PixelBlock& input, const PixelBlock& output) {
    for (int32_t y = output.top; y < output.bottom; ++y) {
        const uint8_t* from = input.data + (y - input.top) * input.rowBytes +
                              ptrdiff_t(output.left - input.left) * kAreaPixelBytes;
        uint8_t* to = output.data + (y - output.top) * output.rowBytes;
        for (int32_t x = output.left; x < output.right; ++x) {
            to[kAreaAlphaByte] = from[kAreaAlphaByte];
            from += kAreaPixelBytes;
            to += kAreaPixelBytes;
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
        if (done) carryAlpha(input, output);
    }
    std::free(work.block);
    delete state;
    return done;
}
