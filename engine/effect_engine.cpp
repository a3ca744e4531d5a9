#include "engine/effect_engine.h"

#include "engine/fast_kernel.h"
#include "engine/plain_kernel.h"
#include "engine/strip_job.h"

namespace {

int32 width(const PixelBlock& block) { return block.right - block.left; }
int32 height(const PixelBlock& block) { return block.bottom - block.top; }

bool contains(const PixelBlock& outer, const PixelBlock& inner) {
    return outer.top <= inner.top && outer.left <= inner.left && outer.bottom >= inner.bottom &&
           outer.right >= inner.right;
}

bool overlap(const PixelBlock& a, const PixelBlock& b) {
    return a.top < b.bottom && b.top < a.bottom && a.left < b.right && b.left < a.right;
}

bool rowsCovered(const PixelBlock& block) {
    return int64_t(block.rowBytes) >= int64_t(width(block)) * block.pixelBytes;
}

StripJob jobFor(const EffectState& state, const EffectWork& work, const PixelBlock& in,
                const PixelBlock& out) {
    int32 radius = int32(state.tables.radius);
    StripJob job;
    job.source.data = in.data;
    job.source.rowBytes = in.rowBytes;
    job.source.pixelBytes = in.pixelBytes;
    job.source.top = in.top;
    job.source.left = in.left;
    job.source.bottom = in.bottom;
    job.source.right = in.right;
    job.tables = &state.tables;
    job.columnSums = columnSumArraysIn(work.block, work.maxWidth);
    job.workBufferBytes = work.bytes;
    job.firstRow = out.top;
    job.rowCount = height(out);
    job.left = out.left;
    job.width = width(out);
    int32 reachLeft = job.left - radius;
    int32 reachRight = job.left + job.width - 1 + radius;
    job.firstReadColumn = reachLeft > in.left ? reachLeft : in.left;
    job.lastReadColumn = reachRight < in.right - 1 ? reachRight : in.right - 1;
    job.out = out.data;
    job.outRowBytes = out.rowBytes;
    job.outPixelBytes = out.pixelBytes;
    job.inputCoversStrip = contains(in, out);
    job.columnSumsValid = false;
    return job;
}

bool continuesWalk(const ColumnWalk& walk, const StripJob& job, KernelChoice kernel) {
    return walk.valid && walk.nextRow == job.firstRow && walk.left == job.left &&
           walk.width == job.width && walk.firstReadColumn == job.firstReadColumn &&
           walk.lastReadColumn == job.lastReadColumn && walk.kernel == kernel;
}

ColumnWalk walkAfter(const StripJob& job, KernelChoice kernel) {
    ColumnWalk after;
    after.valid = true;
    after.nextRow = job.firstRow + job.rowCount;
    after.left = job.left;
    after.width = job.width;
    after.firstReadColumn = job.firstReadColumn;
    after.lastReadColumn = job.lastReadColumn;
    after.kernel = kernel;
    return after;
}

// The one place where the kernel is chosen: the optimised one wherever it applies
// (unless the plain one is asked for), the plain one for everything else.
KernelChoice kernelFor(const EffectState& state, const StripJob& job) {
    if (state.kernel == KernelChoice::optimised && fastKernelHandles(job, state.fastConstants)) {
        return KernelChoice::optimised;
    }
    return KernelChoice::plain;
}

}  // namespace

void prepareEffectState(EffectState* state, int32_t radiation, int32_t amount, int32_t mist,
                        int32_t inputRate) {
    forgetColumnSums(state);
    deriveEffectTables(radiation, amount, mist, inputRate, &state->tables);
    state->fastConstants = fastKernelConstantsFor(state->tables);
}

void forgetColumnSums(EffectState* state) { state->walk.valid = false; }

void chooseEffectKernel(EffectState* state, KernelChoice kernel, VectorLevel level) {
    state->kernel = kernel;
    state->vectorLevel = level;
}

size_t effectWorkBytes(int32_t maxWidth) { return columnSumBytes(maxWidth); }

bool filterPixelsUsable(const EffectWork& work, const PixelBlock& input, const PixelBlock& output) {
    int32 columns = width(output);
    if (height(output) <= 0 || columns <= 0) return true;
    if (input.pixelBytes < kColourChannels || output.pixelBytes < kColourChannels) return false;
    if (input.data == nullptr || output.data == nullptr) return false;
    // Rows and columns of the output outside the input read as its nearest edge; with
    // no overlap at all the input has nothing to do with the output.
    if (height(input) <= 0 || width(input) <= 0) return false;
    if (!overlap(input, output)) return false;
    if (!rowsCovered(input) || !rowsCovered(output)) return false;
    if (work.block == nullptr || work.bytes < effectWorkBytes(work.maxWidth)) return false;
    return columns <= work.maxWidth;
}

bool filterPixels(EffectState* state, const EffectWork& work, const PixelBlock& input,
                  const PixelBlock& output) {
    if (!filterPixelsUsable(work, input, output)) {
        forgetColumnSums(state);
        return false;
    }
    if (height(output) <= 0 || width(output) <= 0) return true;
    StripJob job = jobFor(*state, work, input, output);
    KernelChoice kernel = kernelFor(*state, job);
    job.columnSumsValid = continuesWalk(state->walk, job, kernel);
    if (kernel == KernelChoice::optimised) {
        filterStripFast(job, state->fastConstants, state->vectorLevel);
    } else {
        filterStripPlain(job);
    }
    state->walk = walkAfter(job, kernel);
    return true;
}
