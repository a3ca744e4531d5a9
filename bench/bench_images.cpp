#include "bench/bench_images.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace {
constexpr int32 kNoiseSpan = 48;
constexpr int32 kLevels = 256;
}  // namespace

BenchImage makeBenchImage(int32 width, int32 height, int32 planes, uint32 seed) {
    BenchImage image;
    image.width = width;
    image.height = height;
    image.planes = planes;
    image.pixels.resize(size_t(width) * size_t(height) * size_t(planes));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32> noise(0, kNoiseSpan - 1);
    uint8* pixel = image.pixels.data();
    for (int32 y = 0; y < height; ++y) {
        for (int32 x = 0; x < width; ++x) {
            int32 base[3] = {x * (kLevels - kNoiseSpan) / width,
                             y * (kLevels - kNoiseSpan) / height,
                             (x + y) * (kLevels - kNoiseSpan) / (width + height)};
            for (int32 plane = 0; plane < planes; ++plane) {
                pixel[plane] = uint8(plane < 3 ? base[plane] + noise(random) : kLevels - 1);
            }
            pixel += planes;
        }
    }
    return image;
}

BenchImage paddedImage(const BenchImage& image, int32 margin) {
    BenchImage padded;
    padded.width = image.width + 2 * margin;
    padded.height = image.height + 2 * margin;
    padded.planes = image.planes;
    padded.pixels.resize(size_t(padded.width) * size_t(padded.height) * size_t(image.planes));
    size_t pixelBytes = size_t(image.planes);
    for (int32 y = 0; y < padded.height; ++y) {
        int32 sourceRow = std::min(std::max(y - margin, 0), image.height - 1);
        const uint8* source = &image.pixels[size_t(sourceRow) * size_t(image.width) * pixelBytes];
        uint8* target = &padded.pixels[size_t(y) * size_t(padded.width) * pixelBytes];
        for (int32 x = 0; x < padded.width; ++x) {
            int32 sourceColumn = std::min(std::max(x - margin, 0), image.width - 1);
            std::memcpy(target + size_t(x) * pixelBytes, source + size_t(sourceColumn) * pixelBytes,
                        pixelBytes);
        }
    }
    return padded;
}
