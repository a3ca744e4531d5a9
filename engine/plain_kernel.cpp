#include "engine/plain_kernel.h"

namespace {

// Entries [first, firstRead) and (lastRead, last] stand for columns outside the
// delivered input; they hold the sums of the nearest delivered column.
void replicateEdgeColumns(const StripJob& job) {
    int32 radius = int32(job.tables->radius);
    int32 first = kColumnSumLead - radius;
    int32 last = kColumnSumLead + job.width - 1 + radius;
    int32 firstRead = columnEntry(job, job.firstReadColumn);
    int32 lastRead = columnEntry(job, job.lastReadColumn);
    for (int32 channel = 0; channel < kColourChannels; ++channel) {
        uint32* sums = job.columnSums.channel[channel];
        for (int32 entry = first; entry < firstRead; ++entry) sums[entry] = sums[firstRead];
        for (int32 entry = lastRead + 1; entry <= last; ++entry) sums[entry] = sums[lastRead];
    }
}

// Column sums over rows y - r .. y + r, from scratch.
void buildColumnSums(const StripJob& job, int32 y) {
    int32 radius = int32(job.tables->radius);
    for (int32 x = job.firstReadColumn; x <= job.lastReadColumn; ++x) {
        int32 entry = columnEntry(job, x);
        for (int32 channel = 0; channel < kColourChannels; ++channel) {
            uint32 sum = 0;
            for (int32 row = y - radius; row <= y + radius; ++row) {
                sum += sourcePixel(job.source, row, x)[channel];
            }
            job.columnSums.channel[channel][entry] = sum;
        }
    }
    replicateEdgeColumns(job);
}

// From rows y - r .. y + r to rows y - r + 1 .. y + r + 1.
void moveColumnSumsDown(const StripJob& job, int32 y) {
    int32 radius = int32(job.tables->radius);
    const uint8* entering = sourceRow(job.source, y + radius + 1);
    const uint8* leaving = sourceRow(job.source, y - radius);
    for (int32 x = job.firstReadColumn; x <= job.lastReadColumn; ++x) {
        int32 entry = columnEntry(job, x);
        const uint8* add = entering + ptrdiff_t(x - job.source.left) * job.source.pixelBytes;
        const uint8* remove = leaving + ptrdiff_t(x - job.source.left) * job.source.pixelBytes;
        for (int32 channel = 0; channel < kColourChannels; ++channel) {
            uint32& sum = job.columnSums.channel[channel][entry];
            sum = sum + add[channel] - remove[channel];
        }
    }
    replicateEdgeColumns(job);
}

void filterRow(const StripJob& job, int32 y, uint8* out) {
    const EffectTables& tables = *job.tables;
    uint32 radius = tables.radius;
    uint32 windowSums[kColourChannels];
    for (int32 channel = 0; channel < kColourChannels; ++channel) {
        const uint32* sums = job.columnSums.channel[channel];
        // sums of 193 columns of at most 193 * 255 stay below 2^24
        uint32 sum = tables.halfArea;
        for (uint32 entry = kColumnSumLead - radius; entry <= kColumnSumLead + radius; ++entry) {
            sum += sums[entry];
        }
        windowSums[channel] = sum;
    }
    for (int32 i = 0; i < job.width; ++i) {
        const uint8* in = sourcePixel(job.source, y, job.left + i);
        int32 weight = tables.amountTable[luminanceIndex(in[0], in[1], in[2])];
        for (int32 channel = 0; channel < kColourChannels; ++channel) {
            int32 value = in[channel];
            int32 mean = int32(windowSums[channel] / tables.windowArea);
            // Shifting the signed product right rounds toward minus infinity, so a
            // value one above its mean always moves down and one below never moves
            // up for a weight under 1024.
            int32 blended = value + ((mean - value) * weight >> kWeightShift);
            out[channel] = uint8(tables.mistTable[blended]);
        }
        if (i + 1 < job.width) {
            uint32 entering = kColumnSumLead + uint32(i) + radius + 1;
            uint32 leaving = kColumnSumLead + uint32(i) - radius;
            for (int32 channel = 0; channel < kColourChannels; ++channel) {
                const uint32* sums = job.columnSums.channel[channel];
                windowSums[channel] += sums[entering] - sums[leaving];
            }
        }
        out += job.outPixelBytes;
    }
}

}  // namespace

void filterStripPlain(const StripJob& job) {
    uint8* out = job.out;
    for (int32 row = 0; row < job.rowCount; ++row) {
        int32 y = job.firstRow + row;
        if (row == 0 && !job.columnSumsValid) buildColumnSums(job, y);
        filterRow(job, y, out);
        moveColumnSumsDown(job, y);
        out += job.outRowBytes;
    }
}
