// The optimised kernel's rows with SSE2, which every x86 processor that runs the
// module has: vector column sums and box means; the blend pixel by pixel.
#include "engine/fast_rows.h"

#if LUMIVEIL_X86_VECTORS
#include <emmintrin.h>

#include <cstring>

namespace {

__m128i sumEntrySse2(const uint16* entry) {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(entry)),
                              _mm_setzero_si128());
}

// The window moved on to `pixel`: plus its entering, minus its leaving column sum.
__m128i slideSse2(__m128i window, const uint16* entering, const uint16* leaving, int32 pixel,
                  int32 planes) {
    ptrdiff_t at = ptrdiff_t(pixel - 1) * planes;
    return _mm_add_epi32(window,
                         _mm_sub_epi32(sumEntrySse2(entering + at), sumEntrySse2(leaving + at)));
}

// Lanes 0..2 of `sums` divided exactly; lane 3 is whatever it is.
__m128i divideSse2(__m128i sums, __m128i multiplier, __m128i shift, __m128i oddLanes) {
    __m128i even = _mm_mul_epu32(sums, multiplier);
    __m128i odd = _mm_mul_epu32(_mm_srli_epi64(sums, 32), multiplier);
    __m128i high = _mm_or_si128(_mm_srli_epi64(even, 32), _mm_and_si128(odd, oddLanes));
    return _mm_srl_epi32(high, shift);
}

void moveSumsDownSse2(uint16* sums, const uint8* entering, const uint8* leaving, int32 bytes) {
    const __m128i zero = _mm_setzero_si128();
    int32 j = 0;
    for (; j + 16 <= bytes; j += 16) {
        __m128i add = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entering + j));
        __m128i remove = _mm_loadu_si128(reinterpret_cast<const __m128i*>(leaving + j));
        __m128i* low = reinterpret_cast<__m128i*>(sums + j);
        __m128i* high = reinterpret_cast<__m128i*>(sums + j + 8);
        __m128i lowChange =
            _mm_sub_epi16(_mm_unpacklo_epi8(add, zero), _mm_unpacklo_epi8(remove, zero));
        __m128i highChange =
            _mm_sub_epi16(_mm_unpackhi_epi8(add, zero), _mm_unpackhi_epi8(remove, zero));
        _mm_storeu_si128(low, _mm_add_epi16(_mm_loadu_si128(low), lowChange));
        _mm_storeu_si128(high, _mm_add_epi16(_mm_loadu_si128(high), highChange));
    }
    moveSumsDownScalar(sums, entering, leaving, j, bytes);
}

void addRowSse2(uint16* sums, const uint8* row, int32 bytes) {
    const __m128i zero = _mm_setzero_si128();
    int32 j = 0;
    for (; j + 16 <= bytes; j += 16) {
        __m128i add = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + j));
        __m128i* low = reinterpret_cast<__m128i*>(sums + j);
        __m128i* high = reinterpret_cast<__m128i*>(sums + j + 8);
        _mm_storeu_si128(low, _mm_add_epi16(_mm_loadu_si128(low), _mm_unpacklo_epi8(add, zero)));
        _mm_storeu_si128(high, _mm_add_epi16(_mm_loadu_si128(high), _mm_unpackhi_epi8(add, zero)));
    }
    addRowScalar(sums, row, j, bytes);
}

// The box means of one row into layout.means: a running window sum per pixel,
// slid by one entering and one leaving column sum.
void meansRowSse2(const FastLayout& layout, const FastKernelConstants& constants, uint32 halfArea) {
    const int32 planes = layout.planes;
    const int32 radius = layout.radius;
    const __m128i multiplier = _mm_set1_epi32(int(constants.areaDivisor.multiplier));
    const __m128i shift = _mm_cvtsi32_si128(int(constants.areaDivisor.shift));
    const __m128i oddLanes = _mm_set_epi32(-1, 0, -1, 0);
    __m128i window = _mm_set1_epi32(int(halfArea));
    for (int32 entry = kColumnSumLead - radius; entry <= kColumnSumLead + radius; ++entry) {
        window = _mm_add_epi32(window, sumEntrySse2(layout.sums + ptrdiff_t(entry) * planes));
    }
    // the entering and leaving column sums of pixel i are entries [i - 1] of these
    const uint16* entering = layout.sums + ptrdiff_t(kColumnSumLead + radius + 1) * planes;
    const uint16* leaving = layout.sums + ptrdiff_t(kColumnSumLead - radius) * planes;
    uint8* means = layout.means;
    int32 i = 0;
    for (; i + 4 <= layout.width; i += 4) {
        __m128i q0 = divideSse2(window, multiplier, shift, oddLanes);
        window = slideSse2(window, entering, leaving, i + 1, planes);
        __m128i q1 = divideSse2(window, multiplier, shift, oddLanes);
        window = slideSse2(window, entering, leaving, i + 2, planes);
        __m128i q2 = divideSse2(window, multiplier, shift, oddLanes);
        window = slideSse2(window, entering, leaving, i + 3, planes);
        __m128i q3 = divideSse2(window, multiplier, shift, oddLanes);
        window = slideSse2(window, entering, leaving, i + 4,
                           planes);  // reads the entries of pixel i + 4, at most the row's end
        __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(q0, q1), _mm_packs_epi32(q2, q3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(means + i * kMeanBytesPerPixel), bytes);
    }
    for (; i < layout.width; ++i) {
        __m128i quotient = divideSse2(window, multiplier, shift, oddLanes);
        __m128i words = _mm_packs_epi32(quotient, quotient);
        int32 pixel = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::memcpy(means + i * kMeanBytesPerPixel, &pixel, kMeanBytesPerPixel);
        window = slideSse2(window, entering, leaving, i + 1, planes);
    }
}

}  // namespace

const RowRoutines& sse2RowRoutines() {
    static const RowRoutines routines = {moveSumsDownSse2, addRowSse2, meansRowSse2,
                                         blendRowPixelByPixel, "SSE2"};
    return routines;
}

#endif  // LUMIVEIL_X86_VECTORS
