#include "engine/fast_rows.h"

namespace {

// The blend and tone of one pixel from its box mean, by the tables.
void blendPixel(const uint8* in, const uint8* mean, const EffectTables& tables, uint8* out) {
    int32 weight = tables.amountTable[luminanceIndex(in[0], in[1], in[2])];
    for (int32 channel = 0; channel < kColourChannels; ++channel) {
        int32 value = in[channel];
        int32 blended = value + ((mean[channel] - value) * weight >> kWeightShift);
        out[channel] = uint8(tables.mistTable[blended]);
    }
}

}  // namespace

// 16-bit wrap-around on the way is harmless: every finished sum fits.
void moveSumsDownScalar(uint16* sums, const uint8* entering, const uint8* leaving, int32 from,
                        int32 bytes) {
    for (int32 j = from; j < bytes; ++j) sums[j] = uint16(sums[j] + entering[j] - leaving[j]);
}

void addRowScalar(uint16* sums, const uint8* row, int32 from, int32 bytes) {
    for (int32 j = from; j < bytes; ++j) sums[j] = uint16(sums[j] + row[j]);
}

void blendRowScalar(const FastLayout& layout, const EffectTables& tables, int32 from,
                    const uint8* centre, uint8* out) {
    for (int32 i = from; i < layout.width; ++i) {
        blendPixel(centre + ptrdiff_t(i) * layout.planes, layout.means + i * kMeanBytesPerPixel,
                   tables, out + ptrdiff_t(i) * layout.planes);
    }
}

void blendRowPixelByPixel(const FastLayout& layout, const EffectTables& tables,
                          const FastKernelConstants&, const uint8* centre, uint8* out) {
    blendRowScalar(layout, tables, 0, centre, out);
}
