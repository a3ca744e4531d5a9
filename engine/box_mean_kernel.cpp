#include "engine/box_mean_kernel.h"

#include <cstdint>

#include "engine/effect_tables.h"
#include "engine/fast_kernel.h"
#include "engine/plain_kernel.h"
#include "engine/strip_job.h"

namespace {

constexpr int32 kCoordinateMin = INT16_MIN;
constexpr int32 kCoordinateMax = INT16_MAX;

// The two kernels keep different column sums in the work buffer.
enum class SumsLayout { plain, fast };

// Where the column sums stand between strips. They carry over only to a strip that
// continues the walk: the next rows, the same columns, the same delivered columns,
// the same kernel.
struct ColumnWalk {
    bool valid;
    int32 nextRow;
    int32 left;
    int32 width;
    int32 firstReadColumn;
    int32 lastReadColumn;
    SumsLayout layout;
};

ColumnWalk walk = {false, 0, 0, 0, 0, 0, SumsLayout::plain};
KernelChoice kernelInUse = KernelChoice::optimised;

int16 clampedCoordinate(int32 value) {
    if (value < kCoordinateMin) return int16(kCoordinateMin);
    if (value > kCoordinateMax) return int16(kCoordinateMax);
    return int16(value);
}

int32 width(const Rect& rect) { return int32(rect.right) - int32(rect.left); }
int32 height(const Rect& rect) { return int32(rect.bottom) - int32(rect.top); }

bool contains(const Rect& outer, const Rect& inner) {
    return outer.top <= inner.top && outer.left <= inner.left && outer.bottom >= inner.bottom &&
           outer.right >= inner.right;
}

bool overlap(const Rect& a, const Rect& b) {
    return a.top < b.bottom && b.top < a.bottom && a.left < b.right && b.left < a.right;
}

StripJob jobFor(const FilterRecord* record) {
    const Rect& in = record->inRect;
    const Rect& out = record->outRect;
    const EffectTables& tables = effectTables();
    int32 radius = int32(tables.radius);
    StripJob job;
    job.source.data = static_cast<const uint8*>(record->inData);
    job.source.rowBytes = record->inRowBytes;
    job.source.pixelBytes = record->planes;
    job.source.top = in.top;
    job.source.left = in.left;
    job.source.bottom = in.bottom;
    job.source.right = in.right;
    job.tables = &tables;
    job.columnSums = columnSumArrays();
    job.workBufferBytes = attachedWorkBufferSize();
    job.firstRow = out.top;
    job.rowCount = height(out);
    job.left = out.left;
    job.width = width(out);
    int32 reachLeft = job.left - radius;
    int32 reachRight = job.left + job.width - 1 + radius;
    job.firstReadColumn = reachLeft > in.left ? reachLeft : in.left;
    job.lastReadColumn = reachRight < in.right - 1 ? reachRight : in.right - 1;
    job.out = static_cast<uint8*>(record->outData);
    job.outRowBytes = record->outRowBytes;
    job.outPixelBytes = record->planes;
    job.inputCoversStrip = contains(in, out);
    job.columnSumsValid = false;
    return job;
}

bool continuesWalk(const StripJob& job, SumsLayout layout) {
    return walk.valid && walk.nextRow == job.firstRow && walk.left == job.left &&
           walk.width == job.width && walk.firstReadColumn == job.firstReadColumn &&
           walk.lastReadColumn == job.lastReadColumn && walk.layout == layout;
}

ColumnWalk walkAfter(const StripJob& job, SumsLayout layout) {
    ColumnWalk after;
    after.valid = true;
    after.nextRow = job.firstRow + job.rowCount;
    after.left = job.left;
    after.width = job.width;
    after.firstReadColumn = job.firstReadColumn;
    after.lastReadColumn = job.lastReadColumn;
    after.layout = layout;
    return after;
}

// The one place where the kernel is chosen: the optimised one wherever it applies
// (unless the plain one is asked for), the plain one for everything else.
SumsLayout kernelFor(const StripJob& job) {
    if (kernelInUse == KernelChoice::optimised && fastKernelHandles(job)) return SumsLayout::fast;
    return SumsLayout::plain;
}

}  // namespace

void setInputRect(FilterRecord* record) {
    const Rect& out = record->outRect;
    record->inRect.top = clampedCoordinate(int32(out.top) - kMarginBefore);
    record->inRect.left = clampedCoordinate(int32(out.left) - kMarginBefore);
    record->inRect.bottom = clampedCoordinate(int32(out.bottom) + kMarginAfter);
    record->inRect.right = clampedCoordinate(int32(out.right) + kMarginAfter);
}

bool stripInputUsable(const FilterRecord* record) {
    if (record == nullptr) return false;
    const Rect& out = record->outRect;
    int32 rows = height(out);
    int32 columns = width(out);
    if (rows <= 0 || columns <= 0) return true;
    int32 planes = record->planes;
    if (planes < kColourChannels) return false;
    if (record->inData == nullptr || record->outData == nullptr) return false;
    // Rows and columns of outRect outside inRect read as its nearest edge; with no
    // overlap at all the delivery has nothing to do with the strip.
    if (height(record->inRect) <= 0 || width(record->inRect) <= 0) return false;
    if (!overlap(record->inRect, out)) return false;
    if (int64_t(record->inRowBytes) < int64_t(width(record->inRect)) * planes) return false;
    if (int64_t(record->outRowBytes) < int64_t(columns) * planes) return false;
    const ColumnSumArrays& sums = columnSumArrays();
    return sums.channel[0] != nullptr && columns <= sums.filterWidth;
}

void processStrip(FilterRecord* record) {
    if (record == nullptr) return;
    if (height(record->outRect) <= 0 || width(record->outRect) <= 0) return;
    if (!stripInputUsable(record)) {
        invalidateColumnSums();
        return;
    }
    StripJob job = jobFor(record);
    SumsLayout layout = kernelFor(job);
    job.columnSumsValid = continuesWalk(job, layout);
    if (layout == SumsLayout::fast) {
        filterStripFast(job);
    } else {
        filterStripPlain(job);
    }
    walk = walkAfter(job, layout);
}

void invalidateColumnSums() { walk.valid = false; }

bool columnSumsValid() { return walk.valid; }

void chooseKernel(KernelChoice choice) { kernelInUse = choice; }

KernelChoice chosenKernel() { return kernelInUse; }

KernelChoice kernelOfLastStrip() {
    return walk.layout == SumsLayout::fast ? KernelChoice::optimised : KernelChoice::plain;
}
