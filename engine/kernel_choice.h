// Which implementation filters: the optimised kernel is the default; the plain one
// is the reference that it is tested against. A caller's state carries its choice,
// so that callers on other threads keep theirs.
#pragma once

enum class KernelChoice { optimised, plain };

// Which instruction sets the optimised kernel may use: the widest the processor
// offers, at most AVX2, or SSE2 only (so that each level is tested on a machine
// that has the wider ones).
enum class VectorLevel { widest, avx2, baseline };

// The instruction set the optimised kernel uses at a level on this processor:
// "AVX-512", "AVX2", "SSE2", "NEON" (ARM64, at every level) or "none".
const char* vectorLevelNameFor(VectorLevel level);
