#include "engine/continuous_effect.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>

#include "engine/effect_tables.h"

namespace {

constexpr int32 kChannels = 3;
// Luminance weights of R, G and B: (2R + 5G + B) / 8 is 1 for white.
constexpr double kRedWeight = 2.0 / 8.0;
constexpr double kGreenWeight = 5.0 / 8.0;
constexpr double kBlueWeight = 1.0 / 8.0;

// The box sums are whole multiples of 2^-28, in 64-bit integers: adding and
// removing values then loses nothing, so a pixel's mean does not depend on where
// the walk that reached it began (any tiling and any thread count give the same
// values). A value enters them within +-2^19, so 193 x 193 of them never overflow.
constexpr double kSumScale = 268435456.0;  // 2^28
constexpr double kSummedMagnitude = 524288.0;  // 2^19

// A NaN would make the blend a NaN and an infinity minus itself is one: read them
// as 0 and as the largest finite float.
inline double finite(float value) {
    if (!(value == value)) return 0.0;
    return double(std::min(std::max(value, -FLT_MAX), FLT_MAX));
}

inline int64_t summand(float value) {
    return int64_t(std::min(std::max(finite(value), -kSummedMagnitude), kSummedMagnitude) *
                   kSumScale);
}

inline int32 clampTo(int32 value, int32 low, int32 high) {
    return value < low ? low : (value > high ? high : value);
}

bool usable(const FloatBlock& block) {
    if (block.data == nullptr || block.pixelFloats < kChannels) return false;
    if (block.right < block.left || block.bottom < block.top) return false;
    return block.rowFloats >= ptrdiff_t(block.right - block.left) * block.pixelFloats;
}

// Where one filtering call stands: the blocks, the input's last row and column,
// and the column sums of the input columns first..last.
struct Walk {
    const FloatBlock* input;
    const FloatBlock* output;
    int32 radius;
    int32 lastRow;
    int32 firstColumn;
    int32 lastColumn;
    int64_t* sums;  // kChannels a column, columns firstColumn..lastColumn

    const float* pixel(int32 y, int32 x) const {
        return input->data + ptrdiff_t(y - input->top) * input->rowFloats +
               ptrdiff_t(x - input->left) * input->pixelFloats;
    }
    int32 row(int32 y) const { return clampTo(y, input->top, lastRow); }
    // Column sums entry of column x, edges repeated.
    const int64_t* sumsAt(int32 x) const {
        return sums + ptrdiff_t(clampTo(x, firstColumn, lastColumn) - firstColumn) * kChannels;
    }
};

// Column sums over rows y - r .. y + r.
void buildSums(const Walk& walk, int32 y) {
    const int32 columns = walk.lastColumn - walk.firstColumn + 1;
    std::fill(walk.sums, walk.sums + ptrdiff_t(columns) * kChannels, int64_t(0));
    for (int32 j = -walk.radius; j <= walk.radius; ++j) {
        const float* from = walk.pixel(walk.row(y + j), walk.firstColumn);
        int64_t* sums = walk.sums;
        for (int32 c = 0; c < columns; ++c) {
            for (int32 k = 0; k < kChannels; ++k) sums[k] += summand(from[k]);
            from += walk.input->pixelFloats;
            sums += kChannels;
        }
    }
}

// From the sums of row y's box to those of row y + 1's.
void moveSumsDown(const Walk& walk, int32 y) {
    const int32 columns = walk.lastColumn - walk.firstColumn + 1;
    const float* entering = walk.pixel(walk.row(y + walk.radius + 1), walk.firstColumn);
    const float* leaving = walk.pixel(walk.row(y - walk.radius), walk.firstColumn);
    if (entering == leaving) return;  // both rows the same edge row: nothing changes
    const int32 step = walk.input->pixelFloats;
    int64_t* sums = walk.sums;
    for (int32 c = 0; c < columns; ++c) {
        for (int32 k = 0; k < kChannels; ++k) sums[k] += summand(entering[k]) - summand(leaving[k]);
        entering += step;
        leaving += step;
        sums += kChannels;
    }
}

void filterRow(const ContinuousEffect& effect, const Walk& walk, int32 y) {
    const FloatBlock& output = *walk.output;
    const int32 r = walk.radius;
    const double meanScale = 1.0 / (double(2 * r + 1) * double(2 * r + 1) * kSumScale);
    const double keep = 1.0 - effect.lift;
    int64_t window[kChannels] = {0, 0, 0};
    for (int32 x = output.left - r; x <= output.left + r; ++x) {
        const int64_t* sums = walk.sumsAt(x);
        for (int32 k = 0; k < kChannels; ++k) window[k] += sums[k];
    }
    const float* inRow = walk.pixel(walk.row(y), walk.input->left);
    float* to = output.data + ptrdiff_t(y - output.top) * output.rowFloats;
    for (int32 x = output.left; x < output.right; ++x) {
        const float* from =
            inRow + ptrdiff_t(clampTo(x, walk.input->left, walk.lastColumn) - walk.input->left) *
                        walk.input->pixelFloats;
        double value[kChannels] = {finite(from[0]), finite(from[1]), finite(from[2])};
        double luminance =
            kRedWeight * value[0] + kGreenWeight * value[1] + kBlueWeight * value[2];
        luminance = std::min(std::max(luminance, 0.0), 1.0);
        const double weight = effect.amount * (1.0 - luminance);
        for (int32 k = 0; k < kChannels; ++k) {
            const double blended = value[k] + (double(window[k]) * meanScale - value[k]) * weight;
            to[k] = float(effect.lift + blended * keep);
        }
        const int64_t* entering = walk.sumsAt(x + r + 1);
        const int64_t* leaving = walk.sumsAt(x - r);
        for (int32 k = 0; k < kChannels; ++k) window[k] += entering[k] - leaving[k];
        to += output.pixelFloats;
    }
}

}  // namespace

void prepareContinuousEffect(ContinuousEffect* effect, int32 radiation, int32 amount, int32 mist) {
    effect->radius = int32(radiusForRate(radiation, kRateOneFixed));
    effect->amount = double(amountScaleFor(amount)) / double(kWeightOne);
    effect->lift = double(mistLevelFor(mist)) / double(kChannelMax);
}

size_t continuousWorkBytes(int32 width) {
    if (width < 0) width = 0;
    return (size_t(width) + 2 * size_t(kMaxRadius)) * kChannels * sizeof(int64_t);
}

bool filterFloatPixels(const ContinuousEffect& effect, void* work, size_t workBytes,
                       const FloatBlock& input, const FloatBlock& output) {
    if (output.right <= output.left || output.bottom <= output.top) return true;
    if (!usable(input) || !usable(output) || work == nullptr) return false;
    if (input.right <= input.left || input.bottom <= input.top) return false;
    if (output.left >= input.right || output.right <= input.left || output.top >= input.bottom ||
        output.bottom <= input.top) {
        return false;
    }
    const int32 width = output.right - output.left;
    if (workBytes < continuousWorkBytes(width)) return false;
    if (effect.radius < kMinRadius || effect.radius > kMaxRadius) return false;

    Walk walk;
    walk.input = &input;
    walk.output = &output;
    walk.radius = effect.radius;
    walk.lastRow = input.bottom - 1;
    walk.firstColumn = clampTo(output.left - effect.radius, input.left, input.right - 1);
    walk.lastColumn = clampTo(output.right - 1 + effect.radius, input.left, input.right - 1);
    walk.sums = static_cast<int64_t*>(work);
    buildSums(walk, output.top);
    for (int32 y = output.top; y < output.bottom; ++y) {
        filterRow(effect, walk, y);
        if (y + 1 < output.bottom) moveSumsDown(walk, y);
    }
    return true;
}
