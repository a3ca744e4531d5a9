// The effect computed the slow, obviously right way: every box summed directly,
// neighbours outside the image read at the nearest edge. Only its speed is of
// interest here; the unit tests hold the kernels to a reference of their own.
#pragma once

#include <vector>

#include "bench/bench_images.h"
#include "engine/effect_tables.h"

void referenceEffect(const BenchImage& image, const EffectTables& tables, std::vector<uint8>& out);
