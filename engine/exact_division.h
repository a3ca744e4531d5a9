// Division by a fixed divisor as a multiply and a shift, exact over a stated range
// of dividends: q = ((dividend * multiplier) >> 32) >> shift.
//
// Why it is exact: let T = 32 + shift and e = multiplier * divisor - 2^T (0 <= e).
// For a dividend S = q * divisor + p with 0 <= p < divisor,
//   S * multiplier / 2^T = S / divisor + S * e / (divisor * 2^T)
//                        = q + (p + S * e / 2^T) / divisor,
// so the floor is q whenever S * e < 2^T, because then p + S * e / 2^T < divisor.
// divisionExactUpTo tests exactly that bound for the largest dividend.
#pragma once

#include "engine/engine_types.h"

struct ExactDivisor {
    uint32 multiplier;  // ceil(2^(32 + shift) / divisor), below 2^32
    uint32 shift;       // applied to the high 32 bits of the 64-bit product
};

// The multiplier and shift for a divisor of 2 or more: shift = floor(log2(divisor - 1)),
// which keeps the multiplier below 2^32 and exact for dividends below 2^30. Divisors
// 0 and 1 give a multiplier of 0, which divisionExactUpTo rejects.
ExactDivisor exactDivisorFor(uint32 divisor);

inline uint32 divideExactly(uint32 dividend, ExactDivisor divisor) {
    return uint32((uint64_t(dividend) * divisor.multiplier) >> 32) >> divisor.shift;
}

// Whether divideExactly(s, exactDivisor) == s / divisor for every s in 0..maxDividend,
// by the bound above (a sufficient condition, checked in exact integer arithmetic).
bool divisionExactUpTo(ExactDivisor exactDivisor, uint32 divisor, uint32 maxDividend);
