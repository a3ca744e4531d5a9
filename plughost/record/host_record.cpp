#include "plughost/record/host_record.h"

#include "plughost/cli/trace.h"
#include "plughost/pictures/rect_utils.h"
#include "plughost/record/display_pixels.h"
#include "plughost/record/host_callbacks.h"
#include "plughost/record/host_handles.h"
#include "sdk/host_constants.h"

namespace {

constexpr Fixed kScreenResolution = 72 << 16;  // 72 dpi, 16.16
constexpr uint16 kWhite16 = 0xFFFF;
constexpr uint8 kOpaque = 255;
constexpr int32 kColorChannels = 3;  // backColor/foreColor: R, G, B, then alpha
constexpr int16 kDummyPlaneUndefined = -1;
constexpr int32 kImageDepth = 8;
constexpr int32 kColorPlanes = 3;
constexpr int32 kTransparencyPlanes = 4;
constexpr int32 kBytesPerKilobyte = 1024;

enum FilterCase : int16 {
    kFlatNoSelection = 1,
    kFlatWithSelection = 2,
    kFloatingSelection = 3,
    kEditableTransparencyNoSelection = 4,
    kEditableTransparencyWithSelection = 5,
};

}  // namespace

int16 filterCaseFor(const HostOptions& options) {
    const bool selection = options.hasRect || options.mask;
    if (options.floating) return kFloatingSelection;
    if (options.planes == kTransparencyPlanes) {
        return selection ? kEditableTransparencyWithSelection : kEditableTransparencyNoSelection;
    }
    return selection ? kFlatWithSelection : kFlatNoSelection;
}

void fillFilterRecord(const RecordSource& source, FilterRecord* record) {
    const HostOptions& o = *source.options;
    *record = FilterRecord();
    record->abortProc = o.abort ? hostAbortProc : nullptr;
    record->progressProc = o.progress ? hostProgressProc : nullptr;
    record->parameters = source.parameters;
    record->imageSize = Point{int16(source.image->height), int16(source.image->width)};
    record->planes = int16(source.image->planes);
    record->filterRect = source.filterRect;
    record->background = RGBColor{kWhite16, kWhite16, kWhite16};
    record->foreground = RGBColor{0, 0, 0};
    // Some hosts report maxSpace in kilobytes where the interface says bytes.
    const int32 maxSpace = o.maxSpaceKilobytes ? o.maxSpace / kBytesPerKilobyte : o.maxSpace;
    record->maxSpace = maxSpace;
    record->maxSpace64 = maxSpace;
    record->isFloating = o.floating ? 1 : 0;
    record->haveMask = source.hasMask ? 1 : 0;
    record->autoMask = source.hasMask ? 1 : 0;
    record->maskRect = source.hasMask ? kMaskRectSentinel : Rect{0, 0, 0, 0};
    for (int i = 0; i < kColorChannels; ++i) {
        record->backColor[i] = kOpaque;
        record->foreColor[i] = 0;
    }
    record->backColor[kColorChannels] = record->foreColor[kColorChannels] = kOpaque;
    record->hostSig = o.hostSig;
    record->imageMode = int16(o.imageMode);
    record->imageHRes = kScreenResolution;
    record->imageVRes = kScreenResolution;
    record->floatCoord = Point{source.filterRect.top, source.filterRect.left};
    record->wholeSize = record->imageSize;
    record->platformData = o.platformData ? source.platform : nullptr;
    record->processEvent = hostProcessEvent;
    record->displayPixels = o.displayPixels ? hostDisplayPixels : nullptr;
    record->handleProcs = hostHandleProcs();
    record->filterCase = filterCaseFor(o);
    record->dummyPlaneValue = kDummyPlaneUndefined;
    record->advanceState = o.advanceState ? hostAdvanceState : nullptr;
    record->supportsPadding = o.supportsPadding ? 1 : 0;
    record->inputPadding = plugInWantsErrorOnBoundsException;
    record->outputPadding = plugInWantsErrorOnBoundsException;
    record->maskPadding = source.hasMask ? kMaskPaddingSentinel : plugInWantsErrorOnBoundsException;
    record->samplingSupport = char(o.sampling);
    record->inputRate = kFixedOne;
    record->maskRate = kFixedOne;
    if (source.image->planes == kTransparencyPlanes) {
        record->inLayerPlanes = record->outLayerPlanes = kColorPlanes;
        record->inTransparencyMask = record->outTransparencyMask = 1;
    } else {
        record->inNonLayerPlanes = record->outNonLayerPlanes = int16(source.image->planes);
    }
    record->errorString = source.errorString;
    record->depth = kImageDepth;
}

void traceRecord(const FilterRecord& r) {
    traceLine(
        "record parameters=%s inRect=%s outRect=%s maskRect=%s inPad=%d outPad=%d "
        "maskPad=%d inRate=0x%X maskRate=0x%X bufferSpace=%d",
        handleName(r.parameters).c_str(), rectText(r.inRect).c_str(), rectText(r.outRect).c_str(),
        rectText(r.maskRect).c_str(), int(r.inputPadding), int(r.outputPadding), int(r.maskPadding),
        unsigned(r.inputRate), unsigned(r.maskRate), int(r.bufferSpace));
}
