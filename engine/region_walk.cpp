#include "engine/region_walk.h"

#include <cstring>
#include <memory>
#include <new>

#include "engine/effect_engine.h"

namespace {

using ByteBlock = std::unique_ptr<uint8[]>;

// Layer rows held for the kernel: those of the current strip's input rectangle,
// across the columns that the rectangle reaches inside the layer. Consecutive
// strips share most of these rows, so only the new ones are read.
struct InputBand {
    ByteBlock bytes;
    int32 rowBytes;
    PixelArea columns;  // left and width in use; top and height unused
    int32 top;          // layer rows top..bottom - 1 are held, from bytes on
    int32 bottom;
};

// A strip and the input rectangle around it, in layer coordinates.
struct StripRows {
    int32 top;
    int32 bottom;
    int32 inputTop;  // clipped to the layer: the engine repeats the edge beyond
    int32 inputBottom;
};

int32 smaller(int32 a, int32 b) { return a < b ? a : b; }
int32 larger(int32 a, int32 b) { return a > b ? a : b; }

uint8* allocateBytes(size_t count) { return new (std::nothrow) uint8[count]; }

// Brings the band to rows top..bottom - 1, reading only the rows it lacks.
bool advanceBand(const RegionJob& job, InputBand& band, int32 top, int32 bottom) {
    int32 firstMissing = top;
    if (band.bottom > top && band.top <= top) {
        int32 kept = band.bottom - top;
        std::memmove(band.bytes.get(), band.bytes.get() + size_t(top - band.top) * band.rowBytes,
                     size_t(kept) * band.rowBytes);
        firstMissing = band.bottom;
    }
    band.top = top;
    band.bottom = bottom;
    if (firstMissing >= bottom) return true;
    PixelArea area = {band.columns.left, firstMissing, band.columns.width, bottom - firstMissing};
    PixelRows rows = {band.bytes.get() + size_t(firstMissing - top) * band.rowBytes, band.rowBytes};
    return job.read(job.context, area, rows);
}

// Everything one run owns; freed together at its end.
struct RegionRun {
    EffectState state;
    ByteBlock work;
    EffectWork workArea;
};

PixelBlock blockAt(uint8* data, int32 rowBytes, int32 planes, int32 top, int32 left, int32 bottom,
                   int32 right) {
    return PixelBlock{data, rowBytes, planes, top, left, bottom, right};
}

StripRows stripRows(const RegionJob& job, int32 top) {
    StripRows rows;
    rows.top = top;
    rows.bottom = smaller(top + kRegionStripHeight, job.target.top + job.target.height);
    rows.inputTop = larger(top - kMarginBefore, 0);
    rows.inputBottom = smaller(rows.bottom + kMarginAfter, job.layerHeight);
    return rows;
}

// The bytes past the third of each pixel are not the kernel's: the output
// carries the input's (the alpha channel stays as it was).
void carryExtraPlanes(const RegionJob& job, const InputBand& band, const StripRows& strip,
                      PixelRows out) {
    if (job.planes <= kColourChannels) return;
    size_t offset = size_t(job.target.left - band.columns.left) * job.planes;
    size_t rowLength = size_t(job.target.width) * job.planes;
    for (int32 y = strip.top; y < strip.bottom; ++y) {
        const uint8* from = band.bytes.get() + size_t(y - band.top) * band.rowBytes + offset;
        std::memcpy(out.data + size_t(y - strip.top) * out.rowBytes, from, rowLength);
    }
}

RegionResult walkStrips(const RegionJob& job, RegionRun& run, InputBand& band, PixelRows out) {
    const int32 targetBottom = job.target.top + job.target.height;
    const int32 bandRight = band.columns.left + band.columns.width;
    for (int32 top = job.target.top; top < targetBottom; top += kRegionStripHeight) {
        if (job.report != nullptr &&
            !job.report(job.context, top - job.target.top, job.target.height)) {
            return RegionResult::stopped;
        }
        StripRows strip = stripRows(job, top);
        if (!advanceBand(job, band, strip.inputTop, strip.inputBottom)) {
            return RegionResult::stopped;
        }
        carryExtraPlanes(job, band, strip, out);
        PixelBlock input = blockAt(band.bytes.get(), band.rowBytes, job.planes, strip.inputTop,
                                   band.columns.left, strip.inputBottom, bandRight);
        PixelBlock output = blockAt(out.data, out.rowBytes, job.planes, strip.top, job.target.left,
                                    strip.bottom, job.target.left + job.target.width);
        filterPixels(&run.state, run.workArea, input, output);
        PixelArea written = {job.target.left, strip.top, job.target.width, strip.bottom - top};
        if (!job.write(job.context, written, out)) return RegionResult::stopped;
    }
    if (job.report != nullptr) job.report(job.context, job.target.height, job.target.height);
    return RegionResult::done;
}

}  // namespace

RegionResult filterRegion(const RegionJob& job) {
    if (job.target.width > kLargestRegionSide || job.target.height > kLargestRegionSide) {
        return RegionResult::tooLarge;
    }
    InputBand band;
    band.columns.left = larger(job.target.left - kMarginBefore, 0);
    int32 bandRight = smaller(job.target.left + job.target.width + kMarginAfter, job.layerWidth);
    band.columns.width = bandRight - band.columns.left;
    band.rowBytes = band.columns.width * job.planes;
    band.top = band.bottom = 0;
    const int32 bandRows = kMarginBefore + kRegionStripHeight + kMarginAfter;
    band.bytes.reset(allocateBytes(size_t(bandRows) * band.rowBytes));

    PixelRows out = {nullptr, job.target.width * job.planes};
    ByteBlock outBytes(allocateBytes(size_t(kRegionStripHeight) * out.rowBytes));
    out.data = outBytes.get();

    std::unique_ptr<RegionRun> run(new (std::nothrow) RegionRun);
    if (!band.bytes || !outBytes || !run) return RegionResult::outOfMemory;
    run->workArea.maxWidth = job.target.width;
    run->workArea.bytes = effectWorkBytes(job.target.width);
    run->work.reset(allocateBytes(run->workArea.bytes));
    run->workArea.block = run->work.get();
    if (!run->work) return RegionResult::outOfMemory;

    prepareEffectState(&run->state, job.radiation, job.amount, job.mist, kRateOneFixed);
    return walkStrips(job, *run, band, out);
}
