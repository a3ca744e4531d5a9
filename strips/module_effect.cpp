#include "strips/module_effect.h"

namespace {

constexpr int32 kCoordinateMin = INT16_MIN;
constexpr int32 kCoordinateMax = INT16_MAX;

// The module filters one image at a time, on the host's thread: one state, and the
// work buffer of the pass while one runs.
EffectState moduleState;
EffectWork attachedWork = {nullptr, 0, 0};
ColumnSumArrays attachedArrays = {{nullptr, nullptr, nullptr}, 0};

int16 clampedCoordinate(int32 value) {
    if (value < kCoordinateMin) return int16(kCoordinateMin);
    if (value > kCoordinateMax) return int16(kCoordinateMax);
    return int16(value);
}

int32 filterWidth(const FilterRecord* record) {
    if (record == nullptr) return 0;
    int32 width = int32(record->filterRect.right) - int32(record->filterRect.left);
    return width > 0 ? width : 0;
}

PixelBlock blockOf(void* data, int32 rowBytes, int32 planes, const Rect& rect) {
    return PixelBlock{
        static_cast<uint8*>(data), rowBytes, planes, rect.top, rect.left, rect.bottom, rect.right};
}

PixelBlock inputOf(const FilterRecord* record) {
    return blockOf(record->inData, record->inRowBytes, record->planes, record->inRect);
}

PixelBlock outputOf(const FilterRecord* record) {
    return blockOf(record->outData, record->outRowBytes, record->planes, record->outRect);
}

bool outputEmpty(const FilterRecord* record) {
    const Rect& out = record->outRect;
    return out.bottom <= out.top || out.right <= out.left;
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
    return filterPixelsUsable(attachedWork, inputOf(record), outputOf(record));
}

void processStrip(FilterRecord* record) {
    if (record == nullptr || outputEmpty(record)) return;
    filterPixels(&moduleState, attachedWork, inputOf(record), outputOf(record));
}

void invalidateColumnSums() { forgetColumnSums(&moduleState); }

bool columnSumsValid() { return moduleState.walk.valid; }

void chooseKernel(KernelChoice choice) {
    chooseEffectKernel(&moduleState, choice, moduleState.vectorLevel);
}

KernelChoice chosenKernel() { return moduleState.kernel; }

KernelChoice kernelOfLastStrip() { return moduleState.walk.kernel; }

void limitVectorLevel(VectorLevel level) {
    chooseEffectKernel(&moduleState, moduleState.kernel, level);
}

const char* vectorLevelName() { return vectorLevelNameFor(moduleState.vectorLevel); }

const EffectTables& effectTables() { return moduleState.tables; }

const ColumnSumArrays& columnSumArrays() { return attachedArrays; }

void* workBufferBlock() { return attachedWork.block; }

int32 attachedWorkBufferSize() { return int32(attachedWork.bytes); }

int32 workBufferSize(const FilterRecord* record) {
    return int32(effectWorkBytes(filterWidth(record)));
}

void attachWorkBuffer(const FilterRecord* record, void* block) {
    invalidateColumnSums();
    if (block == nullptr) {
        finishEffect(record);
        return;
    }
    int32 width = filterWidth(record);
    attachedWork = EffectWork{block, effectWorkBytes(width), width};
    attachedArrays = columnSumArraysIn(block, width);
}

void prepareEffectFor(int32 radiation, int32 amount, int32 mist, Fixed inputRate) {
    prepareEffectState(&moduleState, radiation, amount, mist, inputRate);
}

void finishEffect(const FilterRecord*) {
    invalidateColumnSums();
    attachedWork = EffectWork{nullptr, 0, 0};
    attachedArrays = columnSumArraysIn(nullptr, 0);
}
