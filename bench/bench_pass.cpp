#include "bench/bench_pass.h"

#include <algorithm>

#include "engine/effect_tables.h"
#include "params/effect_settings.h"
#include "params/parameter_set.h"

namespace {
constexpr int32 kFixedShift = 16;
}

void setUpPass(PassRig& rig, const BenchImage& image, BenchSettings settings, int32 rate) {
    setSetting(kRadiation, settings.radiation);
    setSetting(kAmount, settings.amount);
    setSetting(kMist, settings.mist);
    rig.margin = kMarginAfter;
    rig.padded = paddedImage(image, rig.margin);
    rig.output.assign(image.pixels.size(), 0);
    rig.record = FilterRecord{};
    rig.record.filterRect = {0, 0, int16(image.height), int16(image.width)};
    rig.record.planes = int16(image.planes);
    rig.record.inputRate = rate << kFixedShift;
    rig.workBuffer.assign(size_t(workBufferSize(&rig.record)), 0);
    attachWorkBuffer(&rig.record, rig.workBuffer.data());
}

void runPass(PassRig& rig, int32 stripHeight) {
    FilterRecord& record = rig.record;
    const Rect& filterRect = record.filterRect;
    int32 planes = record.planes;
    int32 paddedRowBytes = rig.padded.width * planes;
    int32 outRowBytes = (filterRect.right - filterRect.left) * planes;
    prepareEffect(&record);
    for (int32 top = filterRect.top; top < filterRect.bottom; top += stripHeight) {
        int32 bottom = std::min(top + stripHeight, int32(filterRect.bottom));
        record.outRect = {int16(top), filterRect.left, int16(bottom), filterRect.right};
        setInputRect(&record);
        // the padded image's pixel (0, 0) is the image's (-margin, -margin)
        record.inData = rig.padded.pixels.data() +
                        size_t(record.inRect.top + rig.margin) * size_t(paddedRowBytes) +
                        size_t(record.inRect.left + rig.margin) * size_t(planes);
        record.inRowBytes = paddedRowBytes;
        record.outData = rig.output.data() + size_t(top - filterRect.top) * size_t(outRowBytes);
        record.outRowBytes = outRowBytes;
        processStrip(&record);
    }
}

void tearDownPass(PassRig& rig) { finishEffect(&rig.record); }
