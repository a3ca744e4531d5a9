// The optimised kernel's rows with AVX-512 (F, BW, VL): column sums thirty-two bytes
// at a time, box means four pixels per register with the running sum as a prefix
// sum across the register, the blend eight pixels per register, and masked stores
// that write R, G and B only.
#include "engine/fast_rows.h"

#if LUMIVEIL_X86_VECTORS
// GCC 12's AVX-512 intrinsics start from an undefined register, which its
// -Wmaybe-uninitialized reports at every use (fixed in GCC 13); the warnings point
// into the header, so they are silenced for the header only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#pragma GCC diagnostic pop

#include <cstring>

namespace {

#define LUMIVEIL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl")))

// Masks for the rest of a row after the last whole vector: the low `count` bits.
uint32 lowBits32(int32 count) { return count >= 32 ? ~0u : (1u << count) - 1; }

LUMIVEIL_AVX512 void moveSumsDownAvx512(uint16* sums, const uint8* entering, const uint8* leaving,
                                        int32 bytes) {
    int32 j = 0;
    for (; j + 32 <= bytes; j += 32) {
        __m512i add = _mm512_cvtepu8_epi16(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(entering + j)));
        __m512i remove =
            _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(leaving + j)));
        __m512i current = _mm512_loadu_si512(sums + j);
        _mm512_storeu_si512(sums + j, _mm512_add_epi16(current, _mm512_sub_epi16(add, remove)));
    }
    if (j < bytes) {
        __mmask32 rest = lowBits32(bytes - j);
        __m512i add = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(rest, entering + j));
        __m512i remove = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(rest, leaving + j));
        __m512i current = _mm512_maskz_loadu_epi16(rest, sums + j);
        _mm512_mask_storeu_epi16(sums + j, rest,
                                 _mm512_add_epi16(current, _mm512_sub_epi16(add, remove)));
    }
}

LUMIVEIL_AVX512 void addRowAvx512(uint16* sums, const uint8* row, int32 bytes) {
    int32 j = 0;
    for (; j + 32 <= bytes; j += 32) {
        __m512i add =
            _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + j)));
        _mm512_storeu_si512(sums + j, _mm512_add_epi16(_mm512_loadu_si512(sums + j), add));
    }
    if (j < bytes) {
        __mmask32 rest = lowBits32(bytes - j);
        __m512i add = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(rest, row + j));
        __m512i current = _mm512_maskz_loadu_epi16(rest, sums + j);
        _mm512_mask_storeu_epi16(sums + j, rest, _mm512_add_epi16(current, add));
    }
}

// The change of the window sums from entering to leaving column sums, for four
// consecutive entries: one entry per 128-bit lane as R, G, B, any. Three planes:
// 24 bytes are used of the 32 read, which stay inside the work buffer (the row of
// means follows the sums), and the lanes are spread out once, after subtracting.
template <int32 kPlanes>
LUMIVEIL_AVX512 inline __m512i fourSlides(const uint16* entering, const uint16* leaving,
                                          __m512i spread) {
    __m512i added =
        _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(entering)));
    __m512i removed =
        _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(leaving)));
    __m512i change = _mm512_sub_epi32(added, removed);
    return kPlanes == kRgbPlanes ? _mm512_permutexvar_epi32(spread, change) : change;
}

// [a, b, c, d] (128-bit lanes) to [a, a + b, a + b + c, a + b + c + d].
LUMIVEIL_AVX512 inline __m512i lanePrefixSum(__m512i lanes) {
    lanes = _mm512_add_epi32(
        lanes, _mm512_maskz_shuffle_i64x2(0xFC, lanes, lanes, _MM_SHUFFLE(2, 1, 0, 0)));
    return _mm512_add_epi32(
        lanes, _mm512_maskz_shuffle_i64x2(0xF0, lanes, lanes, _MM_SHUFFLE(1, 0, 0, 0)));
}

// [a, b, c, d] to [0, a, b, c].
LUMIVEIL_AVX512 inline __m512i laneShiftUp(__m512i lanes) {
    return _mm512_maskz_shuffle_i64x2(0xFC, lanes, lanes, _MM_SHUFFLE(2, 1, 0, 0));
}

LUMIVEIL_AVX512 inline __m512i lastLaneEverywhere(__m512i lanes) {
    return _mm512_shuffle_i64x2(lanes, lanes, _MM_SHUFFLE(3, 3, 3, 3));
}

// Lanes 0..2 of each pixel divided exactly; lane 3 is whatever it is.
LUMIVEIL_AVX512 inline __m512i divideAvx512(__m512i sums, __m512i multiplier, __m128i shift) {
    __m512i even = _mm512_mul_epu32(sums, multiplier);
    __m512i odd = _mm512_mul_epu32(_mm512_srli_epi64(sums, 32), multiplier);
    __m512i high = _mm512_mask_blend_epi32(0xAAAA, _mm512_srli_epi64(even, 32), odd);
    return _mm512_srl_epi32(high, shift);
}

LUMIVEIL_AVX512 inline __m128i divideOne(__m128i sums, __m128i multiplier, __m128i shift) {
    __m128i even = _mm_mul_epu32(sums, multiplier);
    __m128i odd = _mm_mul_epu32(_mm_srli_epi64(sums, 32), multiplier);
    return _mm_srl_epi32(_mm_blend_epi32(_mm_srli_epi64(even, 32), odd, 0xA), shift);
}

LUMIVEIL_AVX512 inline __m128i oneEntry(const uint16* entry) {
    return _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(entry)));
}

template <int32 kPlanes>
LUMIVEIL_AVX512 void meansRowAvx512(const FastLayout& layout, const FastKernelConstants& constants,
                                    uint32 halfArea) {
    const int32 radius = layout.radius;
    const int32 width = layout.width;
    const __m512i multiplier = _mm512_set1_epi32(int(constants.areaDivisor.multiplier));
    const __m128i shift = _mm_cvtsi32_si128(int(constants.areaDivisor.shift));
    const __m512i spread = _mm512_setr_epi32(0, 1, 2, 2, 3, 4, 5, 5, 6, 7, 8, 8, 9, 10, 11, 11);
    // after packing, lane k holds pixels k, 4 + k, 8 + k, 12 + k
    const __m512i pixelOrder =
        _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    __m128i window = _mm_set1_epi32(int(halfArea));
    for (int32 entry = kColumnSumLead - radius; entry <= kColumnSumLead + radius; ++entry) {
        window = _mm_add_epi32(window, oneEntry(layout.sums + ptrdiff_t(entry) * kPlanes));
    }
    // the entering and leaving column sums of pixel i are entries [i - 1] of these
    const uint16* entering = layout.sums + ptrdiff_t(kColumnSumLead + radius + 1) * kPlanes;
    const uint16* leaving = layout.sums + ptrdiff_t(kColumnSumLead - radius) * kPlanes;
    uint8* means = layout.means;
    __m512i current = _mm512_broadcast_i32x4(window);  // the window of pixel i, in every lane
    int32 i = 0;
    for (; i + 16 <= width; i += 16) {
        __m512i quotients[4];
        for (int32 group = 0; group < 4; ++group) {
            ptrdiff_t at = ptrdiff_t(i + 4 * group) * kPlanes;
            // the slides into pixels i + 1 .. i + 4 of this group, summed up
            __m512i slides =
                lanePrefixSum(fourSlides<kPlanes>(entering + at, leaving + at, spread));
            quotients[group] =
                divideAvx512(_mm512_add_epi32(current, laneShiftUp(slides)), multiplier, shift);
            current = _mm512_add_epi32(current, lastLaneEverywhere(slides));
        }
        __m512i bytes = _mm512_packus_epi16(_mm512_packus_epi32(quotients[0], quotients[1]),
                                            _mm512_packus_epi32(quotients[2], quotients[3]));
        _mm512_storeu_si512(means + i * kMeanBytesPerPixel,
                            _mm512_permutexvar_epi32(pixelOrder, bytes));
    }
    window = _mm512_castsi512_si128(current);
    const __m128i narrowMultiplier = _mm512_castsi512_si128(multiplier);
    for (; i < width; ++i) {
        __m128i quotient = divideOne(window, narrowMultiplier, shift);
        __m128i words = _mm_packus_epi32(quotient, quotient);
        int32 pixel = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::memcpy(means + i * kMeanBytesPerPixel, &pixel, kMeanBytesPerPixel);
        ptrdiff_t at = ptrdiff_t(i) * kPlanes;
        window =
            _mm_add_epi32(window, _mm_sub_epi32(oneEntry(entering + at), oneEntry(leaving + at)));
    }
}

// Everything the blend needs, in registers (see the AVX2 routines for the steps).
struct BlendVectors {
    __m512i lumaWeights;
    __m512i whiteIndex;
    __m512i amountScale;
    __m512i halfWhite;
    __m512i weightMultiplier;
    __m128i weightShift;
    __m512i spreadWeight;
    __m512i mistSpan;
    __m512i toneBias;
    __m512i toneMultiplier;
    __m512i mistLevel;
};

LUMIVEIL_AVX512 BlendVectors blendVectorsFor(const FastKernelConstants& constants) {
    BlendVectors v;
    v.lumaWeights = _mm512_broadcast_i32x4(_mm_setr_epi16(2, 5, 1, 0, 2, 5, 1, 0));
    v.whiteIndex = _mm512_set1_epi32(kLuminanceIndexMax);
    v.amountScale = _mm512_set1_epi32(int(constants.amountScale));
    v.halfWhite = _mm512_set1_epi64(kLuminanceIndexMax / 2);
    v.weightMultiplier = _mm512_set1_epi32(int(constants.weightDivisor.multiplier));
    v.weightShift = _mm_cvtsi32_si128(int(32 + constants.weightDivisor.shift));
    v.spreadWeight =
        _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 8, 9, 8, 9, 8, 9, 8, 9));
    v.mistSpan = _mm512_set1_epi16(short(constants.mistSpan));
    v.toneBias = _mm512_set1_epi16(kChannelMax / 2);
    v.toneMultiplier = _mm512_set1_epi16(short(kToneMultiplier));
    v.mistLevel = _mm512_set1_epi16(short(constants.mistLevel));
    return v;
}

// Eight pixels as 16-bit R, G, B, any lanes to their output values in lanes R, G, B.
LUMIVEIL_AVX512 inline __m512i blendEight(__m512i values, __m512i means, const BlendVectors& v) {
    __m512i pairs = _mm512_madd_epi16(values, v.lumaWeights);
    __m512i luminance = _mm512_add_epi32(pairs, _mm512_srli_epi64(pairs, 32));
    __m512i fromWhite = _mm512_sub_epi32(v.whiteIndex, luminance);
    __m512i scaled = _mm512_add_epi64(_mm512_mul_epu32(fromWhite, v.amountScale), v.halfWhite);
    __m512i weight = _mm512_srl_epi64(_mm512_mul_epu32(scaled, v.weightMultiplier), v.weightShift);
    __m512i weights = _mm512_shuffle_epi8(weight, v.spreadWeight);
    __m512i difference = _mm512_slli_epi16(_mm512_sub_epi16(means, values), 6);
    __m512i blended = _mm512_add_epi16(values, _mm512_mulhi_epi16(difference, weights));
    __m512i toned = _mm512_add_epi16(_mm512_mullo_epi16(blended, v.mistSpan), v.toneBias);
    __m512i tone = _mm512_srli_epi16(_mm512_mulhi_epu16(toned, v.toneMultiplier), kToneShift);
    return _mm512_add_epi16(tone, v.mistLevel);
}

template <int32 kPlanes>
LUMIVEIL_AVX512 inline __m512i inputEight(const uint8* pixels) {
    if (kPlanes == kRgbPlanes) {
        const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
        __m128i low =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels)), spread);
        __m128i high = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 12)), spread);
        return _mm512_cvtepu8_epi16(_mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1));
    }
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels)));
}

LUMIVEIL_AVX512 inline __m512i meansEight(const uint8* means) {
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(means)));
}

template <int32 kPlanes>
LUMIVEIL_AVX512 void blendRowAvx512(const FastLayout& layout, const EffectTables& tables,
                                    const FastKernelConstants& constants, const uint8* centre,
                                    uint8* out) {
    const int32 width = layout.width;
    const BlendVectors v = blendVectorsFor(constants);
    // packing leaves pixel pairs 0, 4, 1, 5, 2, 6, 3, 7 in the eight 64-bit lanes
    const __m512i pairOrder = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
    const __m512i packRgb = _mm512_broadcast_i32x4(
        _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    const __m512i joinRgb = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 3, 7, 11, 15);
    const __mmask64 rgbBytes = 0x0000FFFFFFFFFFFFull;     // 16 pixels of 3 bytes
    const __mmask64 colourBytes = 0x7777777777777777ull;  // bytes 0..2 of 16 pixels of 4
    // a group of sixteen reads 16 input bytes from pixel i + 12 on (three kPlanes)
    int32 i = 0;
    for (; i + 16 <= width && (i + 12) * kPlanes + 16 <= layout.centreBytes; i += 16) {
        const uint8* in = centre + ptrdiff_t(i) * kPlanes;
        const uint8* mean = layout.means + i * kMeanBytesPerPixel;
        __m512i low = blendEight(inputEight<kPlanes>(in), meansEight(mean), v);
        __m512i high = blendEight(inputEight<kPlanes>(in + 8 * kPlanes), meansEight(mean + 32), v);
        __m512i pixels = _mm512_permutexvar_epi64(pairOrder, _mm512_packus_epi16(low, high));
        uint8* target = out + ptrdiff_t(i) * kPlanes;
        if (kPlanes == kRgbPlanes) {
            __m512i rgb = _mm512_permutexvar_epi32(joinRgb, _mm512_shuffle_epi8(pixels, packRgb));
            _mm512_mask_storeu_epi8(target, rgbBytes, rgb);
        } else {
            _mm512_mask_storeu_epi8(target, colourBytes, pixels);  // fourth bytes untouched
        }
    }
    blendRowScalar(layout, tables, i, centre, out);
}

// The plane count is a template argument, so that the loops carry no test of it.
LUMIVEIL_AVX512 void meansAvx512(const FastLayout& layout, const FastKernelConstants& constants,
                                 uint32 halfArea) {
    if (layout.planes == kRgbPlanes) {
        meansRowAvx512<kRgbPlanes>(layout, constants, halfArea);
    } else {
        meansRowAvx512<kRgbaPlanes>(layout, constants, halfArea);
    }
}

LUMIVEIL_AVX512 void blendAvx512(const FastLayout& layout, const EffectTables& tables,
                                 const FastKernelConstants& constants, const uint8* centre,
                                 uint8* out) {
    if (layout.planes == kRgbPlanes) {
        blendRowAvx512<kRgbPlanes>(layout, tables, constants, centre, out);
    } else {
        blendRowAvx512<kRgbaPlanes>(layout, tables, constants, centre, out);
    }
}

#undef LUMIVEIL_AVX512

}  // namespace

const RowRoutines& avx512RowRoutines() {
    static const RowRoutines routines = {moveSumsDownAvx512, addRowAvx512, meansAvx512, blendAvx512,
                                         "AVX-512"};
    return routines;
}

#endif  // LUMIVEIL_X86_VECTORS
