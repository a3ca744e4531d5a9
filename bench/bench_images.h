// Images for the benchmarks: interleaved 8-bit pixels, rows packed.
#pragma once

#include <vector>

#include "sdk/host_types.h"

struct BenchImage {
    int32 width = 0;
    int32 height = 0;
    int32 planes = 3;
    std::vector<uint8> pixels;
};

// A photograph-like test card: smooth gradients with noise, the same for a seed.
BenchImage makeBenchImage(int32 width, int32 height, int32 planes, uint32 seed);

// The image with `margin` pixels on every side filled by edge replication, as a host
// delivers the margins that the kernel asks for.
BenchImage paddedImage(const BenchImage& image, int32 margin);
