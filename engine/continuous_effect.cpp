#include "engine/continuous_effect.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "engine/effect_tables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int32 kChannels = 3;
// Luminance weights of R, G and B: (2R + 5G + B) / 8 is 1 for white.
constexpr float kRedWeight = 2.0f / 8.0f;
constexpr float kGreenWeight = 5.0f / 8.0f;
constexpr float kBlueWeight = 1.0f / 8.0f;

// The box sums hold every value as the nearest whole number of steps of 2^-19, in
// 32-bit integers: adding and removing them loses nothing, so a pixel's mean does not
// depend on where the walk that reached it began (any tiling and any thread count
// give the same values). A value enters them within +-16 (perceptual 16 is linear
// light some 700 times white), so a column of 193 of them stays below 2^31; a box
// of 193 columns is summed in 64 bits.
constexpr float kSummedMagnitude = 16.0f;
constexpr float kStepsPerUnit = 524288.0f;  // 2^19: a float times it is exact
constexpr double kUnitsPerStep = 1.0 / 524288.0;

// Written as selects without branches. A NaN counts as 0.
inline float withoutNaN(float value) { return value == value ? value : 0.0f; }

inline float limited(float value, float magnitude) {
    value = value < magnitude ? value : magnitude;
    return value > -magnitude ? value : -magnitude;
}

// Rounded to the nearest step, ties to even, as the processor's default rounding does.
inline int32 summand(float value) {
    return int32(std::lrint(limited(withoutNaN(value), kSummedMagnitude) * kStepsPerUnit));
}

// A NaN would make the blend a NaN and an infinity minus itself is one: the pixel's
// own value is read with NaN as 0 and infinities as the largest finite float.
inline float finite(float value) { return limited(withoutNaN(value), FLT_MAX); }

inline int32 clampTo(int32 value, int32 low, int32 high) {
    return value < low ? low : (value > high ? high : value);
}

bool usable(const FloatBlock& block) {
    if (block.data == nullptr || block.pixelFloats < kChannels ||
        block.pixelFloats > kMaxPixelFloats) {
        return false;
    }
    if (block.right < block.left || block.bottom < block.top) return false;
    return block.rowFloats >= ptrdiff_t(block.right - block.left) * block.pixelFloats;
}

// Where one filtering call stands. The column sums have one entry for every column
// the boxes of the output reach, output.left - r .. output.right - 1 + r, and one
// to spare; entries beyond the input's columns repeat its edge columns' sums. An
// entry holds as many sums as the input has values a pixel, so that a row of them
// lines up with a row of pixels (the sums after the third are never read).
struct Walk {
    const FloatBlock* input;
    int32 radius;
    int32 lastRow;
    int32 firstColumn;  // the input column of firstEntry
    int32 firstEntry;   // entries firstEntry..lastEntry hold input columns' own sums
    int32 lastEntry;
    int32 entries;
    int32 planes;  // sums an entry: the input's values a pixel
    int32* sums;

    const float* pixel(int32 y, int32 x) const {
        return input->data + ptrdiff_t(y - input->top) * input->rowFloats +
               ptrdiff_t(x - input->left) * input->pixelFloats;
    }
    int32 row(int32 y) const { return clampTo(y, input->top, lastRow); }
    int32* ownSums() const { return sums + ptrdiff_t(firstEntry) * planes; }
    ptrdiff_t ownValues() const { return ptrdiff_t(lastEntry - firstEntry + 1) * planes; }
};

void repeatEdgeSums(const Walk& walk) {
    const int32 planes = walk.planes;
    const int32* first = walk.sums + ptrdiff_t(walk.firstEntry) * planes;
    const int32* last = walk.sums + ptrdiff_t(walk.lastEntry) * planes;
    for (int32 e = 0; e < walk.firstEntry; ++e) {
        std::copy(first, first + planes, walk.sums + ptrdiff_t(e) * planes);
    }
    for (int32 e = walk.lastEntry + 1; e < walk.entries; ++e) {
        std::copy(last, last + planes, walk.sums + ptrdiff_t(e) * planes);
    }
}

// sums[i] += summand(entering[i]) - summand(leaving[i]) for i < count; without
// `leaving`, only the entering values are added. Four values a step where SSE2 is
// there, each limited and rounded exactly as summand() does: the same sums to the bit.
void addRowToSums(int32* sums, const float* entering, const float* leaving, ptrdiff_t count) {
    ptrdiff_t i = 0;
#if defined(__SSE2__)
    const __m128 limit = _mm_set1_ps(kSummedMagnitude);
    const __m128 negativeLimit = _mm_set1_ps(-kSummedMagnitude);
    const __m128 scale = _mm_set1_ps(kStepsPerUnit);
    auto summands = [&](const float* from) {
        __m128 v = _mm_loadu_ps(from);
        v = _mm_and_ps(v, _mm_cmpord_ps(v, v));  // NaN -> 0
        v = _mm_max_ps(_mm_min_ps(v, limit), negativeLimit);
        return _mm_cvtps_epi32(_mm_mul_ps(v, scale));
    };
    for (; i + 4 <= count; i += 4) {
        __m128i change = summands(entering + i);
        if (leaving) change = _mm_sub_epi32(change, summands(leaving + i));
        __m128i* to = reinterpret_cast<__m128i*>(sums + i);
        _mm_storeu_si128(to, _mm_add_epi32(_mm_loadu_si128(to), change));
    }
#endif
    for (; i < count; ++i) {
        sums[i] += leaving ? summand(entering[i]) - summand(leaving[i]) : summand(entering[i]);
    }
}

// Column sums over rows y - r .. y + r.
void buildSums(const Walk& walk, int32 y) {
    std::fill(walk.sums, walk.sums + ptrdiff_t(walk.entries + 1) * walk.planes, 0);
    for (int32 j = -walk.radius; j <= walk.radius; ++j) {
        addRowToSums(walk.ownSums(), walk.pixel(walk.row(y + j), walk.firstColumn), nullptr,
                     walk.ownValues());
    }
    repeatEdgeSums(walk);
}

// From the sums of row y's box to those of row y + 1's.
void moveSumsDown(const Walk& walk, int32 y) {
    const float* entering = walk.pixel(walk.row(y + walk.radius + 1), walk.firstColumn);
    const float* leaving = walk.pixel(walk.row(y - walk.radius), walk.firstColumn);
    if (entering == leaving) return;  // both rows the same edge row: nothing changes
    addRowToSums(walk.ownSums(), entering, leaving, walk.ownValues());
    repeatEdgeSums(walk);
}

// The blend is worked in float, as the picture's values are: the means come from exact
// sums, and nothing on the way rounds to anything coarser than a float.
void filterRow(const ContinuousEffect& effect, const Walk& walk, const FloatBlock& output,
               int32 y) {
    const int32 r = walk.radius;
    const int32 planes = walk.planes;
    const double meanScale = kUnitsPerStep / (double(2 * r + 1) * double(2 * r + 1));
    const float lift = float(effect.lift);
    const float keep = float(1.0 - effect.lift);
    const float amount = float(effect.amount);
    int64_t window0 = 0, window1 = 0, window2 = 0;
    const int32* sums = walk.sums;
    for (int32 e = 0; e <= 2 * r; ++e) {
        window0 += sums[e * planes];
        window1 += sums[e * planes + 1];
        window2 += sums[e * planes + 2];
    }
    const FloatBlock& input = *walk.input;
    const float* inRow = walk.pixel(walk.row(y), input.left);
    const int32 lastColumn = input.right - 1;
    // Where the input holds every column of the output, no pixel needs its column clamped.
    const bool inside = output.left >= input.left && output.right <= input.right;
    const float* from =
        inRow +
        ptrdiff_t(clampTo(output.left, input.left, lastColumn) - input.left) * input.pixelFloats;
    float* to = output.data + ptrdiff_t(y - output.top) * output.rowFloats;
    const int32* entering = sums + (2 * r + 1) * planes;
    for (int32 x = output.left; x < output.right; ++x) {
        if (!inside) {
            from = inRow +
                   ptrdiff_t(clampTo(x, input.left, lastColumn) - input.left) * input.pixelFloats;
        }
        const float red = finite(from[0]);
        const float green = finite(from[1]);
        const float blue = finite(from[2]);
        float luminance = kRedWeight * red + kGreenWeight * green + kBlueWeight * blue;
        luminance = luminance > 0.0f ? (luminance < 1.0f ? luminance : 1.0f) : 0.0f;
        const float weight = amount * (1.0f - luminance);
        to[0] = lift + (red + (float(double(window0) * meanScale) - red) * weight) * keep;
        to[1] = lift + (green + (float(double(window1) * meanScale) - green) * weight) * keep;
        to[2] = lift + (blue + (float(double(window2) * meanScale) - blue) * weight) * keep;
        // The entry after the last is the spare one: the last slide reads it harmlessly.
        window0 += int64_t(entering[0]) - sums[0];
        window1 += int64_t(entering[1]) - sums[1];
        window2 += int64_t(entering[2]) - sums[2];
        sums += planes;
        entering += planes;
        from += input.pixelFloats;
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
    return (size_t(width) + 2 * size_t(kMaxRadius) + 1) * kMaxPixelFloats * sizeof(int32);
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
    walk.firstColumn = firstColumn;
    walk.firstEntry = firstColumn - (output.left - r);
    walk.lastEntry = lastColumn - (output.left - r);
    walk.entries = width + 2 * r;
    walk.planes = input.pixelFloats;
    walk.sums = static_cast<int32*>(work);
    buildSums(walk, output.top);
    for (int32 y = output.top; y < output.bottom; ++y) {
        filterRow(effect, walk, output, y);
        if (y + 1 < output.bottom) moveSumsDown(walk, y);
    }
    return true;
}
