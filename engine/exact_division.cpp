#include "engine/exact_division.h"

namespace {
constexpr uint32 kProductHighBits = 32;
}

ExactDivisor exactDivisorFor(uint32 divisor) {
    if (divisor < 2) return ExactDivisor{0, 0};  // no multiplier below 2^32 divides by 1
    uint32 shift = 0;
    while ((uint64_t(2) << shift) <= uint64_t(divisor) - 1) ++shift;  // floor(log2(divisor - 1))
    uint64_t scale = uint64_t(1) << (kProductHighBits + shift);
    // 2^shift < divisor, so scale / divisor < 2^32 and the rounded-up quotient fits
    uint64_t multiplier = (scale + divisor - 1) / divisor;
    return ExactDivisor{uint32(multiplier), shift};
}

bool divisionExactUpTo(ExactDivisor exactDivisor, uint32 divisor, uint32 maxDividend) {
    if (divisor == 0 || exactDivisor.shift > 31) return false;
    uint64_t scale = uint64_t(1) << (kProductHighBits + exactDivisor.shift);
    uint64_t product = uint64_t(exactDivisor.multiplier) * divisor;
    if (product < scale) return false;  // a multiplier rounded down is not covered by the bound
    uint64_t excess = product - scale;  // below divisor, so below 2^32
    // maxDividend * excess < scale, without overflowing 64 bits
    return excess == 0 || uint64_t(maxDividend) < (scale + excess - 1) / excess;
}
