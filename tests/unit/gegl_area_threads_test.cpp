// The GEGL operation's area pass as GEGL's worker threads call it: several nodes
// with different settings filtering their tiles at the same time must give exactly
// the bytes that each gives alone. Built a second time under ThreadSanitizer
// (tests/tsan), which reports any state that the passes share.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>
#include <vector>

#include "gegl/area_pass.h"

namespace {

constexpr int32_t kWidth = 230;
constexpr int32_t kHeight = 150;
constexpr int32_t kTile = 64;   // GEGL's requests are tiles of the picture
constexpr int32_t kRounds = 2;  // each thread filters its picture this often
constexpr int32_t kPixelBytes = kAreaAlphaValues;  // RGBA, so alpha is checked too
constexpr int32_t kAlphaByte = kAreaColourValues;

const AreaSettings kSettings[] = {{100, 80, 20}, {35, 100, 0}, {0, 50, 100}, {70, 20, 60}};

std::vector<uint8_t> noise(uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> bytes(size_t(kWidth) * kHeight * kPixelBytes);
    for (uint8_t& value : bytes) value = uint8_t(byte(random));
    return bytes;
}

PixelBlock block(uint8_t* data, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return PixelBlock{
        data, ptrdiff_t(right - left) * kPixelBytes, kPixelBytes, top, left, bottom, right};
}

// The whole picture, tile by tile, each tile from its own copy of the input
// around it (clipped to the picture), as the operation's process() hands them.
std::vector<uint8_t> filterByTiles(const AreaSettings& settings, const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out(in.size());
    for (int32_t top = 0; top < kHeight; top += kTile) {
        for (int32_t left = 0; left < kWidth; left += kTile) {
            int32_t right = std::min(left + kTile, kWidth), bottom = std::min(top + kTile, kHeight);
            int32_t inLeft = std::max(left - kMarginBefore, 0),
                    inTop = std::max(top - kMarginBefore, 0);
            int32_t inRight = std::min(right + kMarginAfter, kWidth);
            int32_t inBottom = std::min(bottom + kMarginAfter, kHeight);
            std::vector<uint8_t> halo(size_t(inRight - inLeft) * (inBottom - inTop) *
                                      kPixelBytes);
            std::vector<uint8_t> tile(size_t(right - left) * (bottom - top) * kPixelBytes);
            size_t haloRow = size_t(inRight - inLeft) * kPixelBytes;
            for (int32_t y = inTop; y < inBottom; ++y) {
                std::copy_n(&in[(size_t(y) * kWidth + inLeft) * kPixelBytes], haloRow,
                            &halo[size_t(y - inTop) * haloRow]);
            }
            EXPECT_TRUE(filterArea(settings, block(halo.data(), inLeft, inTop, inRight, inBottom),
                                   block(tile.data(), left, top, right, bottom)));
            size_t tileRow = size_t(right - left) * kPixelBytes;
            for (int32_t y = top; y < bottom; ++y) {
                std::copy_n(&tile[size_t(y - top) * tileRow], tileRow,
                            &out[(size_t(y) * kWidth + left) * kPixelBytes]);
            }
        }
    }
    return out;
}

TEST(GeglAreaThreads, NodesWithDifferentSettingsAtOnceGiveTheBytesOfEachAlone) {
    constexpr size_t kNodes = sizeof kSettings / sizeof kSettings[0];
    std::vector<std::vector<uint8_t>> pictures, alone;
    for (size_t i = 0; i < kNodes; ++i) {
        pictures.push_back(noise(uint32_t(i + 1)));
        alone.push_back(filterByTiles(kSettings[i], pictures[i]));
    }
    std::vector<std::vector<std::vector<uint8_t>>> together(kNodes);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < kNodes; ++i) {
        threads.emplace_back([&, i] {
            for (int32_t round = 0; round < kRounds; ++round) {
                together[i].push_back(filterByTiles(kSettings[i], pictures[i]));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (size_t i = 0; i < kNodes; ++i) {
        for (const std::vector<uint8_t>& result : together[i]) {
            EXPECT_TRUE(result == alone[i]) << "node " << i;
        }
        for (size_t p = kAlphaByte; p < alone[i].size(); p += kPixelBytes) {
            ASSERT_EQ(alone[i][p], pictures[i][p]) << "alpha changed at byte " << p;
        }
    }
}

}  // namespace
