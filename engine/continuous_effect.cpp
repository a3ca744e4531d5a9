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
constexpr float kSumScale = 268435456.0f;     // 2^28: a float times it is exact
constexpr float kSummedMagnitude = 524288.0f;  // 2^19

// A NaN would make the blend a NaN and an infinity minus itself is one: read them
// as 0 and as the largest finite float.
inline float finite(float value) {
    value = value == value ? value : 0.0f;
    return std::min(std::max(value, -FLT_MAX), FLT_MAX);
}

inline int64_t summand(float value) {
    value = value == value ? value : 0.0f;
    return int64_t(std::min(std::max(value, -kSummedMagnitude), kSummedMagnitude) * kSumScale);
}

inline int32 clampTo(int32 value, int32 low, int32 high) {
    return value < low ? low : (value > high ? high : value);
}

bool usable(const FloatBlock& block) {
    if (block.data == nullptr || block.pixelFloats < kChannels) return false;
    if (block.right < block.left || block.bottom < block.top) return false;
    return block.rowFloats >= ptrdiff_t(block.right - block.left) * block.pixelFloats;
}

// Where one filtering call stands. The column sums have one entry for every column
// the boxes of the output reach, output.left - r .. output.right - 1 + r, and one
// to spare; entries beyond the input's columns repeat its edge columns' sums.
struct Walk {
    const FloatBlock* input;
    int32 radius;
    int32 lastRow;
    int32 firstEntry;  // entries firstEntry..lastEntry hold input columns' own sums
    int32 lastEntry;
    int32 entries;
    int64_t* sums;  // kChannels an entry

    const float* pixel(int32 y, int32 x) const {
        return input->data + ptrdiff_t(y - input->top) * input->rowFloats +
               ptrdiff_t(x - input->left) * input->pixelFloats;
    }
    int32 row(int32 y) const { return clampTo(y, input->top, lastRow); }
};

void repeatEdgeSums(const Walk& walk) {
    int64_t* sums = walk.sums;
    for (int32 e = 0; e < walk.firstEntry; ++e) {
        for (int32 k = 0; k < kChannels; ++k) {
            sums[e * kChannels + k] = sums[walk.firstEntry * kChannels + k];
        }
    }
    for (int32 e = walk.lastEntry + 1; e < walk.entries; ++e) {
        for (int32 k = 0; k < kChannels; ++k) {
            sums[e * kChannels + k] = sums[walk.lastEntry * kChannels + k];
        }
    }
}

// Column sums over rows y - r .. y + r; `firstColumn` is the input column of firstEntry.
void buildSums(const Walk& walk, int32 y, int32 firstColumn) {
    std::fill(walk.sums, walk.sums + ptrdiff_t(walk.entries + 1) * kChannels, int64_t(0));
    const int32 step = walk.input->pixelFloats;
    for (int32 j = -walk.radius; j <= walk.radius; ++j) {
        const float* from = walk.pixel(walk.row(y + j), firstColumn);
        int64_t* sums = walk.sums + ptrdiff_t(walk.firstEntry) * kChannels;
        for (int32 e = walk.firstEntry; e <= walk.lastEntry; ++e) {
            for (int32 k = 0; k < kChannels; ++k) sums[k] += summand(from[k]);
            from += step;
            sums += kChannels;
        }
    }
    repeatEdgeSums(walk);
}

// From the sums of row y's box to those of row y + 1's.
void moveSumsDown(const Walk& walk, int32 y, int32 firstColumn) {
    const float* entering = walk.pixel(walk.row(y + walk.radius + 1), firstColumn);
    const float* leaving = walk.pixel(walk.row(y - walk.radius), firstColumn);
    if (entering == leaving) return;  // both rows the same edge row: nothing changes
    const int32 step = walk.input->pixelFloats;
    int64_t* sums = walk.sums + ptrdiff_t(walk.firstEntry) * kChannels;
    for (int32 e = walk.firstEntry; e <= walk.lastEntry; ++e) {
        for (int32 k = 0; k < kChannels; ++k) {
            sums[k] += summand(entering[k]) - summand(leaving[k]);
        }
        entering += step;
        leaving += step;
        sums += kChannels;
    }
    repeatEdgeSums(walk);
}

void filterRow(const ContinuousEffect& effect, const Walk& walk, const FloatBlock& output,
               int32 y) {
    const int32 r = walk.radius;
    const double meanScale = 1.0 / (double(2 * r + 1) * double(2 * r + 1) * double(kSumScale));
    const double keep = 1.0 - effect.lift;
    const double lift = effect.lift;
    const double amount = effect.amount;
    int64_t window0 = 0, window1 = 0, window2 = 0;
    const int64_t* sums = walk.sums;
    for (int32 e = 0; e <= 2 * r; ++e) {
        window0 += sums[e * kChannels];
        window1 += sums[e * kChannels + 1];
        window2 += sums[e * kChannels + 2];
    }
    const FloatBlock& input = *walk.input;
    const float* inRow = walk.pixel(walk.row(y), input.left);
    const int32 lastColumn = input.right - 1;
    float* to = output.data + ptrdiff_t(y - output.top) * output.rowFloats;
    const int32 inStep = input.pixelFloats;
    const int32 outStep = output.pixelFloats;
    for (int32 x = output.left; x < output.right; ++x) {
        const float* from =
            inRow + ptrdiff_t(clampTo(x, input.left, lastColumn) - input.left) * inStep;
        const double red = finite(from[0]);
        const double green = finite(from[1]);
        const double blue = finite(from[2]);
        double luminance = kRedWeight * red + kGreenWeight * green + kBlueWeight * blue;
        luminance = std::min(std::max(luminance, 0.0), 1.0);
        const double weight = amount * (1.0 - luminance);
        to[0] = float(lift + (red + (double(window0) * meanScale - red) * weight) * keep);
        to[1] = float(lift + (green + (double(window1) * meanScale - green) * weight) * keep);
        to[2] = float(lift + (blue + (double(window2) * meanScale - blue) * weight) * keep);
        // The entry after the last is the spare one: the last slide reads it harmlessly.
        const int64_t* entering = sums + (2 * r + 1) * kChannels;
        window0 += entering[0] - sums[0];
        window1 += entering[1] - sums[1];
        window2 += entering[2] - sums[2];
        sums += kChannels;
        to += outStep;
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
    return (size_t(width) + 2 * size_t(kMaxRadius) + 1) * kChannels * sizeof(int64_t);
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

    const int32 r = effect.radius;
    const int32 firstColumn = clampTo(output.left - r, input.left, input.right - 1);
    const int32 lastColumn = clampTo(output.right - 1 + r, input.left, input.right - 1);
    Walk walk;
    walk.input = &input;
    walk.radius = r;
    walk.lastRow = input.bottom - 1;
    walk.firstEntry = firstColumn - (output.left - r);
    walk.lastEntry = lastColumn - (output.left - r);
    walk.entries = width + 2 * r;
    walk.sums = static_cast<int64_t*>(work);
    buildSums(walk, output.top, firstColumn);
    for (int32 y = output.top; y < output.bottom; ++y) {
        filterRow(effect, walk, output, y);
        if (y + 1 < output.bottom) moveSumsDown(walk, y, firstColumn);
    }
    return true;
}
