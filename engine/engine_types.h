// The engine's integer names. They are the standard fixed-width types, so they
// agree with any other header that gives the same names to the same types.
#pragma once

#include <cstddef>
#include <cstdint>

using int16 = int16_t;
using int32 = int32_t;
using uint8 = uint8_t;
using uint16 = uint16_t;
using uint32 = uint32_t;
