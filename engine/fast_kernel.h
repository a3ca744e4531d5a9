// The optimised box-mean kernel: the same results as the plain kernel, bit for bit,
// from 16-bit column sums updated with vector instructions, box means by an exact
// multiply and shift, and the blend and tone curve computed for several pixels per
// instruction.
// On x86 SSE2 is the baseline; AVX2 or AVX-512 is used when the processor has it.
// On ARM64 it is NEON.
#pragma once

#include "engine/fast_kernel_constants.h"
#include "engine/kernel_choice.h"
#include "engine/strip_job.h"

// Whether the optimised kernel can do this strip: an x86 or ARM64 build, 3 or 4 planes in and
// out alike, the output inside the input, a work area large enough, and prepared
// constants that reproduce the tables. Anything else is the plain kernel's.
bool fastKernelHandles(const StripJob& job, const FastKernelConstants& constants);

// Writes every row of the strip. The work area holds the kernel's own 16-bit
// column sums, one per plane and column, followed by one row of box means.
void filterStripFast(const StripJob& job, const FastKernelConstants& constants, VectorLevel level);
