// The plain box-mean kernel: running column and row sums, three integer divisions
// per pixel, written for clarity. It is the reference that the optimised kernel
// is tested against, and the kernel for pixel layouts that one does not handle.
#pragma once

#include "engine/strip_job.h"

// Writes every row of the strip and leaves the column sums ready for the row below
// its last one (in the three 32-bit arrays of the work buffer).
void filterStripPlain(const StripJob& job);
