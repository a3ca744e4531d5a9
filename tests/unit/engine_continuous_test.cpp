// The effect on real values against a plain reference that sums every box
// directly in long double, and against the byte engine on 8-bit pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/continuous_effect.h"
#include "engine/effect_engine.h"

namespace {

struct Picture {
    int32 width;
    int32 height;
    int32 planes;
    std::vector<float> values;

    float* at(int32 y, int32 x) { return &values[(size_t(y) * width + x) * planes]; }
    FloatBlock block(int32 top = 0, int32 left = 0) {
        return FloatBlock{values.data(), ptrdiff_t(width) * planes, planes, top, left, top + height,
                          left + width};
    }
};

Picture randomPicture(std::mt19937& random, int32 width, int32 height, int32 planes, float low,
                      float high) {
    Picture picture{width, height, planes, {}};
    std::uniform_real_distribution<float> value(low, high);
    picture.values.resize(size_t(width) * height * planes);
    for (float& v : picture.values) v = value(random);
    return picture;
}

// The formulas taken literally: every box summed afresh, edges repeated.
std::vector<long double> reference(Picture& in, int32 radiation, int32 amount, int32 mist) {
    ContinuousEffect effect;
    prepareContinuousEffect(&effect, radiation, amount, mist);
    const int32 r = effect.radius;
    std::vector<long double> out(size_t(in.width) * in.height * 3);
    for (int32 y = 0; y < in.height; ++y) {
        for (int32 x = 0; x < in.width; ++x) {
            long double mean[3] = {0, 0, 0};
            for (int32 j = -r; j <= r; ++j) {
                for (int32 i = -r; i <= r; ++i) {
                    const float* p = in.at(std::clamp(y + j, 0, in.height - 1),
                                           std::clamp(x + i, 0, in.width - 1));
                    for (int32 k = 0; k < 3; ++k) mean[k] += p[k];
                }
            }
            const float* v = in.at(y, x);
            long double luminance = (2.0L * v[0] + 5.0L * v[1] + v[2]) / 8.0L;
            luminance = std::clamp(luminance, 0.0L, 1.0L);
            const long double weight = (amount * 1024 / 100) / 1024.0L * (1.0L - luminance);
            const long double lift = (mist * 255 / 400) / 255.0L;
            for (int32 k = 0; k < 3; ++k) {
                long double m = mean[k] / ((2 * r + 1) * (2 * r + 1));
                out[(size_t(y) * in.width + x) * 3 + k] =
                    lift + (v[k] + (m - v[k]) * weight) * (1.0L - lift);
            }
        }
    }
    return out;
}

Picture filtered(Picture& in, int32 radiation, int32 amount, int32 mist) {
    ContinuousEffect effect;
    prepareContinuousEffect(&effect, radiation, amount, mist);
    Picture out = in;
    std::vector<int64_t> work(continuousWorkBytes(in.width) / sizeof(int64_t));
    EXPECT_TRUE(filterFloatPixels(effect, work.data(), work.size() * sizeof(int64_t), in.block(),
                                  out.block()));
    return out;
}

TEST(ContinuousEffect, MatchesThePlainFormulasUnclipped) {
    std::mt19937 random(25);
    const int32 cases[][6] = {// width, height, planes, radiation, amount, mist
                              {37, 23, 3, 0, 100, 0},
                              {61, 45, 4, 30, 70, 10},
                              {9, 50, 4, 100, 100, 100},
                              {70, 7, 3, 61, 43, 77},
                              {1, 1, 3, 50, 50, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c[0] << "x" << c[1] << " settings " << c[3] << "/" << c[4] << "/" << c[5]);
        // Scene-referred values: below 0 and above 1 as well.
        Picture in = randomPicture(random, c[0], c[1], c[2], -0.25f, 3.0f);
        Picture out = filtered(in, c[3], c[4], c[5]);
        std::vector<long double> expected = reference(in, c[3], c[4], c[5]);
        for (int32 y = 0; y < in.height; ++y) {
            for (int32 x = 0; x < in.width; ++x) {
                for (int32 k = 0; k < 3; ++k) {
                    ASSERT_NEAR(out.at(y, x)[k],
                                double(expected[(size_t(y) * in.width + x) * 3 + k]), 2e-6)
                        << "pixel " << x << "," << y << " channel " << k;
                }
                // Values after the third are the output's own.
                if (in.planes == 4) {
                    ASSERT_EQ(out.at(y, x)[3], in.at(y, x)[3]);
                }
            }
        }
    }
}

TEST(ContinuousEffect, ValuesFarBeyondWhiteCountInTheBoxesAsSixteen) {
    // Stripes of columns of -1000 and +1000: the column sums lie at their limits
    // (193 values of 16 either way), and the box slides from one to the other. Every
    // row alike, so a box's mean is the mean of its columns' limited values.
    auto stripe = [](int32 x) { return (x / 100) % 2 ? 1000.0f : -1000.0f; };
    Picture in{300, 30, 4, {}};
    in.values.resize(size_t(in.width) * in.height * 4);
    for (int32 y = 0; y < in.height; ++y) {
        for (int32 x = 0; x < in.width; ++x) std::fill(in.at(y, x), in.at(y, x) + 4, stripe(x));
    }
    ContinuousEffect effect;
    prepareContinuousEffect(&effect, 100, 80, 10);
    const int32 r = effect.radius;
    Picture out = filtered(in, 100, 80, 10);
    for (int32 x = 0; x < in.width; ++x) {
        long double mean = 0;
        for (int32 i = -r; i <= r; ++i) {
            mean += std::clamp(stripe(std::clamp(x + i, 0, in.width - 1)), -16.0f, 16.0f);
        }
        mean /= 2 * r + 1;
        const long double v = stripe(x);
        const long double weight = v < 0 ? effect.amount : 0.0;  // luminance 0 or 1
        const long double expected = effect.lift + (v + (mean - v) * weight) * (1 - effect.lift);
        for (int32 k = 0; k < 3; ++k) {
            ASSERT_NEAR(out.at(11, x)[k], double(expected), 1e-3) << "column " << x;
        }
    }
}

TEST(ContinuousEffect, AmountAndMistZeroChangeNoValue) {
    std::mt19937 random(7);
    Picture in = randomPicture(random, 40, 30, 4, -1.0f, 100.0f);
    Picture out = filtered(in, 77, 0, 0);
    EXPECT_EQ(out.values, in.values);
}

TEST(ContinuousEffect, StaysWithinTwoAndAHalfLevelsOfTheByteEngine) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> byte(0, 255);
    const int32 width = 80, height = 60;
    std::vector<uint8_t> bytes(size_t(width) * height * 3);
    for (uint8_t& b : bytes) b = uint8_t(byte(random));
    Picture in{width, height, 3, std::vector<float>(bytes.begin(), bytes.end())};
    for (float& v : in.values) v /= 255.0f;
    const int32 settings[][3] = {{30, 70, 10}, {100, 100, 100}, {61, 43, 77}, {0, 100, 0}};
    for (const auto& s : settings) {
        Picture out = filtered(in, s[0], s[1], s[2]);
        EffectState* state = new EffectState;
        prepareEffectState(state, s[0], s[1], s[2], 0x10000);
        std::vector<uint8_t> result(bytes.size());
        std::vector<uint8_t> block(effectWorkBytes(width));
        PixelBlock input = {bytes.data(), width * 3, 3, 0, 0, height, width};
        PixelBlock output = input;
        output.data = result.data();
        ASSERT_TRUE(
            filterPixels(state, EffectWork{block.data(), block.size(), width}, input, output));
        delete state;
        double worst = 0;
        for (size_t i = 0; i < bytes.size(); ++i) {
            worst = std::max(worst, std::fabs(out.values[i] * 255.0 - result[i]));
        }
        EXPECT_LE(worst, 2.5) << s[0] << "/" << s[1] << "/" << s[2];
    }
}

TEST(ContinuousEffect, AnyPartEqualsThatPartOfTheWhole) {
    std::mt19937 random(11);
    Picture in = randomPicture(random, 90, 70, 4, 0.0f, 1.0f);
    Picture whole = filtered(in, 20, 90, 20);
    ContinuousEffect effect;
    prepareContinuousEffect(&effect, 20, 90, 20);
    // Output rectangles at the corner, inside, and reaching past the input's edge.
    const int32 parts[][4] = {{0, 0, 13, 17}, {30, 41, 55, 60}, {60, 80, 70, 90}};
    for (const auto& p : parts) {
        Picture out{p[3] - p[1], p[2] - p[0], 4, {}};
        out.values.assign(size_t(out.width) * out.height * 4, -7.0f);
        std::vector<int64_t> work(continuousWorkBytes(out.width) / sizeof(int64_t));
        ASSERT_TRUE(filterFloatPixels(effect, work.data(), work.size() * sizeof(int64_t),
                                      in.block(), out.block(p[0], p[1])));
        for (int32 y = 0; y < out.height; ++y) {
            for (int32 x = 0; x < out.width; ++x) {
                for (int32 k = 0; k < 3; ++k) {
                    ASSERT_EQ(out.at(y, x)[k], whole.at(p[0] + y, p[1] + x)[k]);
                }
            }
        }
    }
}

TEST(ContinuousEffect, NoNaNWhereTheInputHadNone) {
    std::mt19937 random(5);
    Picture in = randomPicture(random, 30, 30, 3, 0.0f, 1.0f);
    const float inf = std::numeric_limits<float>::infinity();
    *in.at(3, 4) = inf;
    in.at(10, 10)[1] = -inf;
    in.at(20, 5)[2] = std::numeric_limits<float>::max();
    in.at(25, 25)[0] = std::numeric_limits<float>::quiet_NaN();
    for (const int32 amount : {0, 60, 100}) {
        Picture out = filtered(in, 10, amount, 30);
        for (float v : out.values) ASSERT_TRUE(std::isfinite(v)) << "amount " << amount;
    }
}

TEST(ContinuousEffect, RefusesUnusableBlocks) {
    ContinuousEffect effect;
    prepareContinuousEffect(&effect, 50, 50, 0);
    std::vector<float> values(64 * 3, 0.5f);
    FloatBlock block = {values.data(), 8 * 3, 3, 0, 0, 8, 8};
    std::vector<int64_t> work(continuousWorkBytes(8) / sizeof(int64_t));
    const size_t bytes = work.size() * sizeof(int64_t);
    FloatBlock narrow = block;
    narrow.pixelFloats = 2;
    FloatBlock apart = block;
    apart.top = 20;
    apart.bottom = 28;
    FloatBlock empty = block;
    empty.bottom = 0;
    EXPECT_FALSE(filterFloatPixels(effect, work.data(), bytes - 1, block, block));
    EXPECT_FALSE(filterFloatPixels(effect, nullptr, bytes, block, block));
    EXPECT_FALSE(filterFloatPixels(effect, work.data(), bytes, narrow, block));
    EXPECT_FALSE(filterFloatPixels(effect, work.data(), bytes, block, apart));
    EXPECT_TRUE(filterFloatPixels(effect, work.data(), bytes, block, empty));
}

}  // namespace
