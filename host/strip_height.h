// The filtering pass's strip height, apart from the pass itself: the output
// rectangles' rules use it too, and the pass uses those rules.
#pragma once

#include "sdk/host_types.h"

constexpr int16 kStripHeight = 32;  // output rows per strip; the last strip takes what is left
