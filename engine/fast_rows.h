// The row routines of the optimised kernel, one set per instruction set, and what
// they share: the layout of the work buffer and the scalar code for row ends.
#pragma once

#include <cstddef>

#include "engine/fast_kernel_constants.h"
#include "engine/strip_job.h"

#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define LUMIVEIL_X86_VECTORS 1
#else
#define LUMIVEIL_X86_VECTORS 0
#endif
#if defined(__aarch64__) && defined(__ARM_NEON)
#define LUMIVEIL_ARM64_VECTORS 1
#else
#define LUMIVEIL_ARM64_VECTORS 0
#endif
// Without vector rows (neither above) every strip takes the plain kernel.
#define LUMIVEIL_VECTOR_ROWS (LUMIVEIL_X86_VECTORS || LUMIVEIL_ARM64_VECTORS)

constexpr int32 kRgbPlanes = 3;
constexpr int32 kRgbaPlanes = 4;
// One row of box means holds R, G, B and an unused byte per pixel.
constexpr int32 kMeanBytesPerPixel = 4;

// Where the optimised kernel keeps its state for one strip, in the work buffer:
// 16-bit column sums with one lane per plane (193 * 255 fits in 16 bits), then one
// row of box means. With four planes the fourth lane sums whatever the fourth byte
// holds; that lane, like the fourth byte loaded with each pixel, is carried along
// in the vectors and never reaches an output byte.
struct FastLayout {
    uint16* sums;
    uint8* means;
    int32 planes;
    int32 radius;
    int32 width;
    int32 firstEntry;  // entries in use: the box's reach around the output columns
    int32 lastEntry;
    int32 firstReadEntry;  // entries whose columns were delivered
    int32 lastReadEntry;
    ptrdiff_t readOffset;    // byte offset of the first delivered column read, in a row
    int32 readBytes;         // bytes of a delivered row under the read columns
    ptrdiff_t centreOffset;  // byte offset of the first output column, in a row
    int32 centreBytes;       // delivered bytes of a row from the first output column on
};

// The work of one row, in steps that each instruction set does its own way.
struct RowRoutines {
    // sums[j] += entering[j] - leaving[j] over `bytes` bytes of two delivered rows
    void (*moveSumsDown)(uint16* sums, const uint8* entering, const uint8* leaving, int32 bytes);
    // sums[j] += row[j]
    void (*addRow)(uint16* sums, const uint8* row, int32 bytes);
    // the rounded box mean of every pixel of the row into layout.means
    void (*means)(const FastLayout& layout, const FastKernelConstants& constants, uint32 halfArea);
    // blend and tone from the input row (at its first output pixel) and the means
    void (*blend)(const FastLayout& layout, const EffectTables& tables,
                  const FastKernelConstants& constants, const uint8* centre, uint8* out);
    const char* name;
};

const RowRoutines& sse2RowRoutines();
const RowRoutines& avx2RowRoutines();
const RowRoutines& avx512RowRoutines();
const RowRoutines& neonRowRoutines();

// Scalar versions of the steps, from byte or pixel `from` on, for what is left at the
// end of a row after the last whole vector.
void moveSumsDownScalar(uint16* sums, const uint8* entering, const uint8* leaving, int32 from,
                        int32 bytes);
void addRowScalar(uint16* sums, const uint8* row, int32 from, int32 bytes);
void blendRowScalar(const FastLayout& layout, const EffectTables& tables, int32 from,
                    const uint8* centre, uint8* out);
// The whole row's blend pixel by pixel, for the row routines that have no vector blend.
void blendRowPixelByPixel(const FastLayout& layout, const EffectTables& tables,
                          const FastKernelConstants& constants, const uint8* centre, uint8* out);
