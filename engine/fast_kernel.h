// The optimised box-mean kernel: the same results as the plain kernel, bit for bit,
// from 16-bit column sums updated with vector instructions, box means by an exact
// multiply and shift, and the blend and tone curve computed for several pixels per
// instruction.
// SSE2 is the baseline; AVX2 or AVX-512 is used when the processor has it.
#pragma once

#include "engine/strip_job.h"

// Which instruction sets the optimised kernel may use: the widest the processor
// offers, at most AVX2, or SSE2 only (so that each level is tested on a machine
// that has the wider ones).
enum class VectorLevel { widest, avx2, baseline };
void limitVectorLevel(VectorLevel level);
// The instruction set the optimised kernel runs with now: "AVX-512", "AVX2", "SSE2"
// or "none".
const char* vectorLevelName();

// Derives the optimised kernel's arithmetic from freshly prepared tables; every
// preparation calls it. Until the first call the optimised kernel takes no strip.
void prepareFastKernel(const EffectTables& tables);

// Whether the optimised kernel can do this strip: an x86 build, 3 or 4 planes,
// outRect inside the delivered inRect, and prepared tables that its arithmetic
// reproduces. Anything else is the plain kernel's.
bool fastKernelHandles(const StripJob& job);

// Writes every row of the strip. The work buffer holds the kernel's own 16-bit
// column sums, one per plane and column, followed by one row of box means.
void filterStripFast(const StripJob& job);
