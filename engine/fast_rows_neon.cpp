// The optimised kernel's rows with NEON, which every ARM64 processor has: vector
// column sums and box means, as the SSE2 rows do; the blend pixel by pixel.
#include "engine/fast_rows.h"

#if LUMIVEIL_ARM64_VECTORS
#include <arm_neon.h>

#include <cstring>

namespace {

// Reads four 16-bit entries, as the SSE2 rows do: with three planes the fourth is
// the next entry's first (or the slack after the last), and its lane is unused.
uint32x4_t sumEntryNeon(const uint16* entry) { return vmovl_u16(vld1_u16(entry)); }

// The window moved on to `pixel`: plus its entering, minus its leaving column sum.
uint32x4_t slideNeon(uint32x4_t window, const uint16* entering, const uint16* leaving, int32 pixel,
                     int32 planes) {
    ptrdiff_t at = ptrdiff_t(pixel - 1) * planes;
    return vaddq_u32(window, vsubq_u32(sumEntryNeon(entering + at), sumEntryNeon(leaving + at)));
}

// Every lane divided exactly: the high halves of the 64-bit products, shifted.
uint32x4_t divideNeon(uint32x4_t sums, uint32x4_t multiplier, int32x4_t rightShift) {
    uint64x2_t low = vmull_u32(vget_low_u32(sums), vget_low_u32(multiplier));
    uint64x2_t high = vmull_high_u32(sums, multiplier);
    uint32x4_t highHalves = vuzp2q_u32(vreinterpretq_u32_u64(low), vreinterpretq_u32_u64(high));
    return vshlq_u32(highHalves, rightShift);
}

// Four quotients (at most 255 in every lane that reaches an output) as four bytes.
uint8x8_t meanBytes(uint32x4_t quotients) {
    uint16x4_t words = vqmovn_u32(quotients);
    return vqmovn_u16(vcombine_u16(words, words));
}

// 16-bit wrap-around on the way is harmless: every finished sum fits.
void moveSumsDownNeon(uint16* sums, const uint8* entering, const uint8* leaving, int32 bytes) {
    int32 j = 0;
    for (; j + 16 <= bytes; j += 16) {
        uint8x16_t add = vld1q_u8(entering + j);
        uint8x16_t remove = vld1q_u8(leaving + j);
        uint16x8_t lowChange = vsubl_u8(vget_low_u8(add), vget_low_u8(remove));
        uint16x8_t highChange = vsubl_high_u8(add, remove);
        vst1q_u16(sums + j, vaddq_u16(vld1q_u16(sums + j), lowChange));
        vst1q_u16(sums + j + 8, vaddq_u16(vld1q_u16(sums + j + 8), highChange));
    }
    moveSumsDownScalar(sums, entering, leaving, j, bytes);
}

void addRowNeon(uint16* sums, const uint8* row, int32 bytes) {
    int32 j = 0;
    for (; j + 16 <= bytes; j += 16) {
        uint8x16_t add = vld1q_u8(row + j);
        vst1q_u16(sums + j, vaddw_u8(vld1q_u16(sums + j), vget_low_u8(add)));
        vst1q_u16(sums + j + 8, vaddw_high_u8(vld1q_u16(sums + j + 8), add));
    }
    addRowScalar(sums, row, j, bytes);
}

// The box means of one row into layout.means: a running window sum per pixel,
// slid by one entering and one leaving column sum.
void meansRowNeon(const FastLayout& layout, const FastKernelConstants& constants, uint32 halfArea) {
    const int32 planes = layout.planes;
    const int32 radius = layout.radius;
    const uint32x4_t multiplier = vdupq_n_u32(constants.areaDivisor.multiplier);
    const int32x4_t rightShift = vdupq_n_s32(-int32(constants.areaDivisor.shift));
    uint32x4_t window = vdupq_n_u32(halfArea);
    for (int32 entry = kColumnSumLead - radius; entry <= kColumnSumLead + radius; ++entry) {
        window = vaddq_u32(window, sumEntryNeon(layout.sums + ptrdiff_t(entry) * planes));
    }
    // the entering and leaving column sums of pixel i are entries [i - 1] of these
    const uint16* entering = layout.sums + ptrdiff_t(kColumnSumLead + radius + 1) * planes;
    const uint16* leaving = layout.sums + ptrdiff_t(kColumnSumLead - radius) * planes;
    uint8* means = layout.means;
    int32 i = 0;
    for (; i + 4 <= layout.width; i += 4) {
        uint32x4_t q0 = divideNeon(window, multiplier, rightShift);
        window = slideNeon(window, entering, leaving, i + 1, planes);
        uint32x4_t q1 = divideNeon(window, multiplier, rightShift);
        window = slideNeon(window, entering, leaving, i + 2, planes);
        uint32x4_t q2 = divideNeon(window, multiplier, rightShift);
        window = slideNeon(window, entering, leaving, i + 3, planes);
        uint32x4_t q3 = divideNeon(window, multiplier, rightShift);
        // reads the entries of pixel i + 4, at most the row's end
        window = slideNeon(window, entering, leaving, i + 4, planes);
        uint16x8_t first = vcombine_u16(vqmovn_u32(q0), vqmovn_u32(q1));
        uint16x8_t second = vcombine_u16(vqmovn_u32(q2), vqmovn_u32(q3));
        vst1q_u8(means + i * kMeanBytesPerPixel,
                 vcombine_u8(vqmovn_u16(first), vqmovn_u16(second)));
    }
    for (; i < layout.width; ++i) {
        uint32 pixel = vget_lane_u32(
            vreinterpret_u32_u8(meanBytes(divideNeon(window, multiplier, rightShift))), 0);
        std::memcpy(means + i * kMeanBytesPerPixel, &pixel, kMeanBytesPerPixel);
        window = slideNeon(window, entering, leaving, i + 1, planes);
    }
}

}  // namespace

const RowRoutines& neonRowRoutines() {
    static const RowRoutines routines = {moveSumsDownNeon, addRowNeon, meansRowNeon,
                                         blendRowPixelByPixel, "NEON"};
    return routines;
}

#endif  // LUMIVEIL_ARM64_VECTORS
