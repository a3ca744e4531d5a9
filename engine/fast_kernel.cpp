#include "engine/fast_kernel.h"

#include <cstdint>
#include <cstring>

#include "engine/fast_kernel_constants.h"
#include "engine/fast_rows.h"

namespace {

// The rest serves the vector rows alone: without them nothing calls it.
#if LUMIVEIL_VECTOR_ROWS
// The column sums start at the first 32-byte boundary of the work buffer.
constexpr uintptr_t kSumsAlignment = 32;
// Spare bytes after the row of means: loads of three-plane column sums read up to
// 8 bytes past the last entry, into the means; this keeps even those in the block.
constexpr int32 kMeansSlack = 32;

uint8* alignedStart(void* block) {
    uintptr_t address = reinterpret_cast<uintptr_t>(block);
    uintptr_t aligned = (address + kSumsAlignment - 1) & ~(kSumsAlignment - 1);
    return static_cast<uint8*>(block) + (aligned - address);
}

size_t bytesNeeded(const StripJob& job) {
    size_t entries = size_t(job.columnSums.filterWidth) + kColumnSumExtraEntries;
    return size_t(kSumsAlignment - 1) + entries * size_t(job.source.pixelBytes) * sizeof(uint16) +
           size_t(job.width) * kMeanBytesPerPixel + kMeansSlack;
}

FastLayout layoutFor(const StripJob& job) {
    FastLayout layout;
    int32 planes = job.source.pixelBytes;
    int32 entries = job.columnSums.filterWidth + kColumnSumExtraEntries;
    uint8* start = alignedStart(job.columnSums.channel[0]);
    layout.sums = reinterpret_cast<uint16*>(start);
    layout.means = start + entries * planes * int32(sizeof(uint16));
    layout.planes = planes;
    layout.radius = int32(job.tables->radius);
    layout.width = job.width;
    layout.firstEntry = kColumnSumLead - layout.radius;
    layout.lastEntry = kColumnSumLead + job.width - 1 + layout.radius;
    layout.firstReadEntry = columnEntry(job, job.firstReadColumn);
    layout.lastReadEntry = columnEntry(job, job.lastReadColumn);
    layout.readOffset = ptrdiff_t(job.firstReadColumn - job.source.left) * planes;
    layout.readBytes = (job.lastReadColumn - job.firstReadColumn + 1) * planes;
    layout.centreOffset = ptrdiff_t(job.left - job.source.left) * planes;
    layout.centreBytes = (job.source.right - job.left) * planes;
    return layout;
}

uint16* readSums(const FastLayout& layout) {
    return layout.sums + ptrdiff_t(layout.firstReadEntry) * layout.planes;
}

// The entries of columns outside the delivered input repeat the nearest delivered one.
void replicateEdgeSums(const FastLayout& layout) {
    size_t entryBytes = size_t(layout.planes) * sizeof(uint16);
    const uint16* first = layout.sums + ptrdiff_t(layout.firstReadEntry) * layout.planes;
    for (int32 entry = layout.firstEntry; entry < layout.firstReadEntry; ++entry) {
        std::memcpy(layout.sums + ptrdiff_t(entry) * layout.planes, first, entryBytes);
    }
    const uint16* last = layout.sums + ptrdiff_t(layout.lastReadEntry) * layout.planes;
    for (int32 entry = layout.lastReadEntry + 1; entry <= layout.lastEntry; ++entry) {
        std::memcpy(layout.sums + ptrdiff_t(entry) * layout.planes, last, entryBytes);
    }
}

#if LUMIVEIL_X86_VECTORS
// What the processor offers; the checks include the operating system's support
// for the wider registers.
struct ProcessorVectors {
    bool avx512;
    bool avx2;
};

ProcessorVectors detectProcessorVectors() {
    __builtin_cpu_init();
    ProcessorVectors found;
    found.avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512vl");
    found.avx2 = __builtin_cpu_supports("avx2");
    return found;
}

// The row routines, chosen in one place: the widest the processor has, within the
// limit. The processor is asked once, by whichever thread comes first; the answer
// is read-only after that.
const RowRoutines& rowRoutines(VectorLevel level) {
    static const ProcessorVectors processor = detectProcessorVectors();
    if (processor.avx512 && level == VectorLevel::widest) return avx512RowRoutines();
    if (processor.avx2 && level != VectorLevel::baseline) return avx2RowRoutines();
    return sse2RowRoutines();
}
#else
// Every ARM64 processor has NEON, and nothing wider is used: no choice to make.
const RowRoutines& rowRoutines(VectorLevel) { return neonRowRoutines(); }
#endif

void buildSums(const FastLayout& layout, const StripSource& source, int32 y,
               const RowRoutines& routines) {
    uint16* sums = readSums(layout);
    std::memset(sums, 0, size_t(layout.readBytes) * sizeof(uint16));
    for (int32 row = y - layout.radius; row <= y + layout.radius; ++row) {
        routines.addRow(sums, sourceRow(source, row) + layout.readOffset, layout.readBytes);
    }
    replicateEdgeSums(layout);
}

void moveSumsDown(const FastLayout& layout, const StripSource& source, int32 y,
                  const RowRoutines& routines) {
    const uint8* entering = sourceRow(source, y + layout.radius + 1);
    const uint8* leaving = sourceRow(source, y - layout.radius);
    if (entering == leaving) return;  // both clamped to the same edge row: nothing changes
    routines.moveSumsDown(readSums(layout), entering + layout.readOffset,
                          leaving + layout.readOffset, layout.readBytes);
    replicateEdgeSums(layout);
}
#endif  // LUMIVEIL_VECTOR_ROWS

}  // namespace

const char* vectorLevelNameFor(VectorLevel level) {
#if LUMIVEIL_VECTOR_ROWS
    return rowRoutines(level).name;
#else
    (void)level;
    return "none";
#endif
}

bool fastKernelHandles(const StripJob& job, const FastKernelConstants& constants) {
#if LUMIVEIL_VECTOR_ROWS
    int32 planes = job.source.pixelBytes;
    if (planes != kRgbPlanes && planes != kRgbaPlanes) return false;
    if (job.outPixelBytes != planes) return false;
    if (!job.inputCoversStrip) return false;
    if (job.workBufferBytes < bytesNeeded(job)) return false;
    return constants.tablesReproduced;
#else
    (void)job;
    (void)constants;
    return false;
#endif
}

void filterStripFast(const StripJob& job, const FastKernelConstants& constants, VectorLevel level) {
#if LUMIVEIL_VECTOR_ROWS
    const FastLayout layout = layoutFor(job);
    const RowRoutines& routines = rowRoutines(level);
    uint8* out = job.out;
    for (int32 row = 0; row < job.rowCount; ++row) {
        int32 y = job.firstRow + row;
        if (row == 0 && !job.columnSumsValid) buildSums(layout, job.source, y, routines);
        routines.means(layout, constants, job.tables->halfArea);
        const uint8* centre = sourceRow(job.source, y) + layout.centreOffset;
        routines.blend(layout, *job.tables, constants, centre, out);
        moveSumsDown(layout, job.source, y, routines);
        out += job.outRowBytes;
    }
#else
    (void)job;
    (void)constants;
    (void)level;
#endif
}
