#include "bench/reference_effect.h"

#include <algorithm>

void referenceEffect(const BenchImage& image, const EffectTables& tables, std::vector<uint8>& out) {
    int32 radius = int32(tables.radius);
    int32 area = int32(tables.windowArea);
    int32 planes = image.planes;
    out.resize(image.pixels.size());
    auto at = [&](int32 y, int32 x) {
        y = std::min(std::max(y, 0), image.height - 1);
        x = std::min(std::max(x, 0), image.width - 1);
        return &image.pixels[(size_t(y) * size_t(image.width) + size_t(x)) * size_t(planes)];
    };
    for (int32 y = 0; y < image.height; ++y) {
        for (int32 x = 0; x < image.width; ++x) {
            int32 sums[kColourChannels] = {0, 0, 0};
            for (int32 dy = -radius; dy <= radius; ++dy) {
                for (int32 dx = -radius; dx <= radius; ++dx) {
                    const uint8* neighbour = at(y + dy, x + dx);
                    for (int32 k = 0; k < kColourChannels; ++k) sums[k] += neighbour[k];
                }
            }
            const uint8* own = at(y, x);
            uint8* target = &out[(size_t(y) * size_t(image.width) + size_t(x)) * size_t(planes)];
            int32 weight = tables.amountTable[luminanceIndex(own[0], own[1], own[2])];
            for (int32 k = 0; k < kColourChannels; ++k) {
                int32 mean = (sums[k] + area / 2) / area;
                int32 product = (mean - own[k]) * weight;
                // floor division by 1024, written out
                int32 step = product >= 0 ? product / kWeightOne
                                          : -((-product + kWeightOne - 1) / kWeightOne);
                target[k] = uint8(tables.mistTable[own[k] + step]);
            }
        }
    }
}
