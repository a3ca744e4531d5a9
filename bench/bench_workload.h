// The work both speed programs measure, so their figures can be set side by side:
// a 4000 x 3000 RGB pass in strips of 32 rows at radius 1, 49 and 96, and one
// preview render of the largest inset frame.
#pragma once

#include "sdk/host_types.h"

namespace workload {

constexpr int32 kPassWidth = 4000;
constexpr int32 kPassHeight = 3000;
constexpr int32 kRgb = 3;
constexpr int32 kStripHeight = 32;
constexpr uint32 kImageSeed = 2024;
// Radiation 0, 50 and 100 at rate 1.0: radius 1, 49 and 96.
constexpr int32 kRadiations[] = {0, 50, 100};
// Middle settings for Amount and Mist, so that every step of the effect does work.
constexpr int32 kAmount = 70;
constexpr int32 kMist = 30;
// The preview frame's inset size.
constexpr int32 kFrameWidth = 326;
constexpr int32 kFrameHeight = 240;

}  // namespace workload
