// The optimised kernel's rows with AVX2: column sums sixteen bytes at a time, box
// means two pixels per register, the blend four pixels per register.
#include "engine/fast_rows.h"

#if LUMIVEIL_X86_VECTORS
#include <immintrin.h>

#include <cstring>

namespace {

#define LUMIVEIL_AVX2 __attribute__((target("avx2")))

LUMIVEIL_AVX2 void moveSumsDownAvx2(uint16* sums, const uint8* entering, const uint8* leaving,
                                    int32 bytes) {
    int32 j = 0;
    for (; j + 16 <= bytes; j += 16) {
        __m256i add =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entering + j)));
        __m256i remove =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(leaving + j)));
        __m256i* target = reinterpret_cast<__m256i*>(sums + j);
        __m256i change = _mm256_sub_epi16(add, remove);
        _mm256_storeu_si256(target, _mm256_add_epi16(_mm256_loadu_si256(target), change));
    }
    moveSumsDownScalar(sums, entering, leaving, j, bytes);
}

LUMIVEIL_AVX2 void addRowAvx2(uint16* sums, const uint8* row, int32 bytes) {
    int32 j = 0;
    for (; j + 16 <= bytes; j += 16) {
        __m256i add =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + j)));
        __m256i* target = reinterpret_cast<__m256i*>(sums + j);
        _mm256_storeu_si256(target, _mm256_add_epi16(_mm256_loadu_si256(target), add));
    }
    addRowScalar(sums, row, j, bytes);
}

LUMIVEIL_AVX2 inline __m128i sumEntryAvx2(const uint16* entry) {
    return _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(entry)));
}

LUMIVEIL_AVX2 inline __m128i slideAvx2(__m128i window, const uint16* entering,
                                       const uint16* leaving, int32 pixel, int32 planes) {
    ptrdiff_t at = ptrdiff_t(pixel - 1) * planes;
    return _mm_add_epi32(window,
                         _mm_sub_epi32(sumEntryAvx2(entering + at), sumEntryAvx2(leaving + at)));
}

// Lanes 0..2 and 4..6 divided exactly (two pixels); lanes 3 and 7 are whatever they are.
LUMIVEIL_AVX2 inline __m256i divideAvx2(__m256i sums, __m256i multiplier, __m128i shift) {
    __m256i even = _mm256_mul_epu32(sums, multiplier);
    __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(sums, 32), multiplier);
    __m256i high = _mm256_blend_epi32(_mm256_srli_epi64(even, 32), odd, 0xAA);
    return _mm256_srl_epi32(high, shift);
}

LUMIVEIL_AVX2 inline __m256i pairOf(__m128i first, __m128i second) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}

template <int32 kPlanes>
LUMIVEIL_AVX2 void meansRowAvx2(const FastLayout& layout, const FastKernelConstants& constants,
                                uint32 halfArea) {
    const int32 radius = layout.radius;
    const int32 width = layout.width;
    const __m256i multiplier = _mm256_set1_epi32(int(constants.areaDivisor.multiplier));
    const __m128i shift = _mm_cvtsi32_si128(int(constants.areaDivisor.shift));
    __m128i window = _mm_set1_epi32(int(halfArea));
    for (int32 entry = kColumnSumLead - radius; entry <= kColumnSumLead + radius; ++entry) {
        window = _mm_add_epi32(window, sumEntryAvx2(layout.sums + ptrdiff_t(entry) * kPlanes));
    }
    const uint16* entering = layout.sums + ptrdiff_t(kColumnSumLead + radius + 1) * kPlanes;
    const uint16* leaving = layout.sums + ptrdiff_t(kColumnSumLead - radius) * kPlanes;
    uint8* means = layout.means;
    int32 i = 0;
    for (; i + 8 <= width; i += 8) {
        __m128i s0 = window;
        __m128i s1 = slideAvx2(s0, entering, leaving, i + 1, kPlanes);
        __m128i s2 = slideAvx2(s1, entering, leaving, i + 2, kPlanes);
        __m128i s3 = slideAvx2(s2, entering, leaving, i + 3, kPlanes);
        __m128i s4 = slideAvx2(s3, entering, leaving, i + 4, kPlanes);
        __m128i s5 = slideAvx2(s4, entering, leaving, i + 5, kPlanes);
        __m128i s6 = slideAvx2(s5, entering, leaving, i + 6, kPlanes);
        __m128i s7 = slideAvx2(s6, entering, leaving, i + 7, kPlanes);
        window = slideAvx2(s7, entering, leaving, i + 8, kPlanes);  // at most the row's end
        // pixels i and i + 4 share a register, so that packing leaves all eight in order
        __m256i q04 = divideAvx2(pairOf(s0, s4), multiplier, shift);
        __m256i q15 = divideAvx2(pairOf(s1, s5), multiplier, shift);
        __m256i q26 = divideAvx2(pairOf(s2, s6), multiplier, shift);
        __m256i q37 = divideAvx2(pairOf(s3, s7), multiplier, shift);
        __m256i bytes =
            _mm256_packus_epi16(_mm256_packus_epi32(q04, q15), _mm256_packus_epi32(q26, q37));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(means + i * kMeanBytesPerPixel), bytes);
    }
    for (; i < width; ++i) {
        __m256i q = divideAvx2(_mm256_castsi128_si256(window), multiplier, shift);
        __m128i words = _mm_packus_epi32(_mm256_castsi256_si128(q), _mm256_castsi256_si128(q));
        int32 pixel = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::memcpy(means + i * kMeanBytesPerPixel, &pixel, kMeanBytesPerPixel);
        window = slideAvx2(window, entering, leaving, i + 1, kPlanes);
    }
}

// Everything the blend needs, in registers.
struct BlendVectors {
    __m256i lumaWeights;  // 2, 5, 1, 0 per pixel: madd gives 2R + 5G and B
    __m256i whiteIndex;   // 2040
    __m256i amountScale;  // A
    __m256i halfWhite;    // 1020, the rounding of the weight
    __m256i weightMultiplier;
    __m128i weightShift;   // 32 + shift: the weight is the 64-bit product shifted
    __m256i spreadWeight;  // copies each pixel's 16-bit weight into its four lanes
    __m256i mistSpan;      // 255 - M
    __m256i toneBias;      // 127
    __m256i toneMultiplier;
    __m256i mistLevel;  // M
};

LUMIVEIL_AVX2 BlendVectors blendVectorsFor(const FastKernelConstants& constants) {
    BlendVectors v;
    v.lumaWeights = _mm256_setr_epi16(2, 5, 1, 0, 2, 5, 1, 0, 2, 5, 1, 0, 2, 5, 1, 0);
    v.whiteIndex = _mm256_set1_epi32(kLuminanceIndexMax);
    v.amountScale = _mm256_set1_epi32(int(constants.amountScale));
    v.halfWhite = _mm256_set1_epi64x(kLuminanceIndexMax / 2);
    v.weightMultiplier = _mm256_set1_epi32(int(constants.weightDivisor.multiplier));
    v.weightShift = _mm_cvtsi32_si128(int(32 + constants.weightDivisor.shift));
    v.spreadWeight = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 8, 9, 8, 9, 8, 9, 8, 9, 0, 1, 0, 1, 0,
                                      1, 0, 1, 8, 9, 8, 9, 8, 9, 8, 9);
    v.mistSpan = _mm256_set1_epi16(short(constants.mistSpan));
    v.toneBias = _mm256_set1_epi16(kChannelMax / 2);
    v.toneMultiplier = _mm256_set1_epi16(short(kToneMultiplier));
    v.mistLevel = _mm256_set1_epi16(short(constants.mistLevel));
    return v;
}

// Four pixels as 16-bit R, G, B, any lanes (inputs and means) to the output values in
// lanes R, G, B: weight, blend rounded toward minus infinity, tone. The fourth lane
// has weight 0 in the luminance and is dropped by the caller.
LUMIVEIL_AVX2 inline __m256i blendFour(__m256i values, __m256i means, const BlendVectors& v) {
    __m256i pairs = _mm256_madd_epi16(values, v.lumaWeights);
    __m256i luminance = _mm256_add_epi32(pairs, _mm256_srli_epi64(pairs, 32));  // even lanes
    __m256i fromWhite = _mm256_sub_epi32(v.whiteIndex, luminance);
    __m256i scaled = _mm256_add_epi64(_mm256_mul_epu32(fromWhite, v.amountScale), v.halfWhite);
    __m256i weight = _mm256_srl_epi64(_mm256_mul_epu32(scaled, v.weightMultiplier), v.weightShift);
    __m256i weights = _mm256_shuffle_epi8(weight, v.spreadWeight);
    // (d * g) >> 10 == high half of (d * 64) * g: |d * 64| <= 16320 and g <= 1024 fit 16 bits
    __m256i difference = _mm256_slli_epi16(_mm256_sub_epi16(means, values), 6);
    __m256i blended = _mm256_add_epi16(values, _mm256_mulhi_epi16(difference, weights));
    __m256i toned = _mm256_add_epi16(_mm256_mullo_epi16(blended, v.mistSpan), v.toneBias);
    __m256i tone = _mm256_srli_epi16(_mm256_mulhi_epu16(toned, v.toneMultiplier), kToneShift);
    return _mm256_add_epi16(tone, v.mistLevel);
}

template <int32 kPlanes>
LUMIVEIL_AVX2 inline __m256i inputFour(const uint8* pixels) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    if (kPlanes == kRgbPlanes) {
        const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
        bytes = _mm_shuffle_epi8(bytes, spread);
    }
    return _mm256_cvtepu8_epi16(bytes);
}

template <int32 kPlanes>
LUMIVEIL_AVX2 void blendRowAvx2(const FastLayout& layout, const EffectTables& tables,
                                const FastKernelConstants& constants, const uint8* centre,
                                uint8* out) {
    const BlendVectors v = blendVectorsFor(constants);
    const __m256i packRgb =
        _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6,
                         8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i joinRgb = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    // a group of eight reads 16 input bytes from pixel i + 4 on
    int32 i = 0;
    for (; i + 8 <= layout.width && (i + 4) * kPlanes + 16 <= layout.centreBytes; i += 8) {
        const uint8* in = centre + ptrdiff_t(i) * kPlanes;
        const uint8* mean = layout.means + i * kMeanBytesPerPixel;
        __m256i low = blendFour(
            inputFour<kPlanes>(in),
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mean))), v);
        __m256i high = blendFour(
            inputFour<kPlanes>(in + 4 * kPlanes),
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mean + 16))), v);
        // packing interleaves the halves; the qword shuffle puts pixels 0..7 in order
        __m256i pixels = _mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), 0xD8);
        uint8* target = out + ptrdiff_t(i) * kPlanes;
        if (kPlanes == kRgbPlanes) {
            __m256i rgb =
                _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(pixels, packRgb), joinRgb);
            if (i + 11 <= layout.width) {
                // the last 8 bytes fall on pixels that the next group writes again
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), rgb);
            } else {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm256_castsi256_si128(rgb));
                _mm_storel_epi64(reinterpret_cast<__m128i*>(target + 16),
                                 _mm256_extracti128_si256(rgb, 1));
            }
        } else {
            // bytes beyond the third of a pixel are never written
            uint8 rgbx[32];
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(rgbx), pixels);
            for (int32 k = 0; k < 8; ++k)
                std::memcpy(target + k * kPlanes, rgbx + k * 4, kColourChannels);
        }
    }
    blendRowScalar(layout, tables, i, centre, out);
}

// The plane count is a template argument, so that the loops carry no test of it.
LUMIVEIL_AVX2 void meansAvx2(const FastLayout& layout, const FastKernelConstants& constants,
                             uint32 halfArea) {
    if (layout.planes == kRgbPlanes) {
        meansRowAvx2<kRgbPlanes>(layout, constants, halfArea);
    } else {
        meansRowAvx2<kRgbaPlanes>(layout, constants, halfArea);
    }
}

LUMIVEIL_AVX2 void blendAvx2(const FastLayout& layout, const EffectTables& tables,
                             const FastKernelConstants& constants, const uint8* centre,
                             uint8* out) {
    if (layout.planes == kRgbPlanes) {
        blendRowAvx2<kRgbPlanes>(layout, tables, constants, centre, out);
    } else {
        blendRowAvx2<kRgbaPlanes>(layout, tables, constants, centre, out);
    }
}

#undef LUMIVEIL_AVX2

}  // namespace

const RowRoutines& avx2RowRoutines() {
    static const RowRoutines routines = {moveSumsDownAvx2, addRowAvx2, meansAvx2, blendAvx2,
                                         "AVX2"};
    return routines;
}

#endif  // LUMIVEIL_X86_VECTORS
