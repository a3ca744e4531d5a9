#include "ui/preview.h"

#include <cstdlib>
#include <cstring>

#include "engine/effect_tables.h"
#include "params/effect_settings.h"
#include "platform/dialog_controls.h"
#include "resources/resource_ids.h"
#include "sdk/host_constants.h"
#include "strips/module_effect.h"
#include "strips/strip_geometry.h"

namespace {

// Pixels of dialog background kept between the black frame and the image.
constexpr int32 kFrameInset = 2;
constexpr int32 kPixelMapVersion = 1;  // mat, masks and the mask phases all zero
constexpr int32 kPlaneBytes = 1;       // planes interleaved, one byte each
constexpr int kFixedShift = 16;        // a whole factor n as a host rate: n << 16

struct PreviewState {
    bool ready = false;  // the data is delivered and usable: renders and displays may run
    int32 factor = 1;
    // The host could not sample: it delivered full-size input, and the preview
    // keeps its own reduced copy, laid out as a sampling, padding host would.
    bool reducedHere = false;
    uint8* reducedInput = nullptr;
    Rect reducedInRect = {};
    int32 reducedRowBytes = 0;
    Rect reducedImage = {};  // the image at the factor, size rounded up
    // outData as the host delivered it, put back when the dialog closes.
    uint8* deliveredOutput = nullptr;
    int32 outputRowDataBytes = 0;
    int32 outputRows = 0;
};

PreviewState preview;
int32 showsEffect = 1;

int32 widthOf(const Rect& rect) { return rect.right - rect.left; }
int32 heightOf(const Rect& rect) { return rect.bottom - rect.top; }

int32 clampToSpan(int32 value, int32 low, int32 high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

// For positive a and b.
int32 divideRoundingUp(int32 a, int32 b) { return (a + b - 1) / b; }

int16 scaleCoordinateDown(int32 coordinate, int32 factor) {
    const int32 half = factor / 2;
    const int32 scaled =
        coordinate >= 0 ? (coordinate + half) / factor : (coordinate - half) / factor;
    return static_cast<int16>(scaled);
}

bool rectContains(const Rect& outer, const Rect& inner) {
    return inner.top >= outer.top && inner.left >= outer.left && inner.bottom <= outer.bottom &&
           inner.right <= outer.right;
}

int32 planeCount(int16 loPlane, int16 hiPlane) { return hiPlane - loPlane + 1; }

// Bytes per pixel of the delivered output: the preview asks for every plane and
// the engine writes every plane, so it is `planes`, whatever the plane fields
// say after the delivery (some hosts set outLoPlane and outHiPlane to 0 there).
int32 outputPixelBytes(const FilterRecord* record) { return record->planes; }

// The frame control's rectangle in the dialog's coordinates.
bool frameInDialog(DialogWindow dialog, Rect* frame) {
    return controlBounds(dialog, IDC_PREVIEW_FRAME, frame);
}

void paintWithRecord(DialogWindow dialog, void* drawingContext, void* record) {
    paintPreview(static_cast<FilterRecord*>(record), dialog, drawingContext);
}

bool hostCanSample(const FilterRecord* record) {
    // A host that never set the rate (it reads 0) does not sample either.
    return record->samplingSupport != hostDoesNotSupportSampling && record->inputRate != 0;
}

void releasePreviewBuffers() {
    std::free(preview.reducedInput);
    std::free(preview.deliveredOutput);
    preview = PreviewState{};
}

// The record as the engine and displayPixels see it: the rate is always the
// factor, and the input is the preview's own reduced copy when it made one.
FilterRecord previewView(const FilterRecord* record) {
    FilterRecord view = *record;
    view.inputRate = preview.factor << kFixedShift;
    if (preview.reducedHere) {
        view.inData = preview.reducedInput;
        view.inRect = preview.reducedInRect;
        view.inRowBytes = preview.reducedRowBytes;
        view.inLoPlane = 0;
        view.inHiPlane = static_cast<int16>(record->planes - 1);
    }
    return view;
}

// The full-size row under reduced row r, within the full-size bounds given.
int32 fullSizeRow(int32 reducedRow, const Rect& bounds) {
    const Rect& reducedImage = preview.reducedImage;
    const int32 row =
        clampToSpan(reducedRow, reducedImage.top, reducedImage.bottom - 1) * preview.factor;
    return clampToSpan(row, bounds.top, bounds.bottom - 1);
}

int32 fullSizeColumn(int32 reducedColumn, const Rect& bounds) {
    const Rect& reducedImage = preview.reducedImage;
    const int32 column =
        clampToSpan(reducedColumn, reducedImage.left, reducedImage.right - 1) * preview.factor;
    return clampToSpan(column, bounds.left, bounds.right - 1);
}

// Asks for the full-size pixels under the reduced image and its margins, inside
// the image, and makes room for the reduced copy. outRect is already set.
int32 requestFullSizeInput(FilterRecord* record) {
    record->inRect = record->outRect;
    setInputRect(record);  // the reduced image with the kernel's full margins
    const Rect reduced = record->inRect;
    const int32 pixelBytes = record->planes;
    const int32 rowBytes = widthOf(reduced) * pixelBytes;
    uint8* buffer = static_cast<uint8*>(std::malloc(size_t(rowBytes) * size_t(heightOf(reduced))));
    if (!buffer) return memFullErr;
    preview.reducedHere = true;
    preview.reducedInput = buffer;
    preview.reducedInRect = reduced;
    preview.reducedRowBytes = rowBytes;

    // Reduced pixel (r, c) is full-size pixel (r * n, c * n). Those outside the
    // reduced image take its nearest edge pixel, as from a host that samples and
    // replicates edges, so only pixels of the image itself are requested.
    const Rect image = imageBoundsAtFactor(record, 1);
    preview.reducedImage = imageBoundsAtFactor(record, preview.factor);
    record->inRect.top = static_cast<int16>(fullSizeRow(reduced.top, image));
    record->inRect.left = static_cast<int16>(fullSizeColumn(reduced.left, image));
    record->inRect.bottom = static_cast<int16>(fullSizeRow(reduced.bottom - 1, image) + 1);
    record->inRect.right = static_cast<int16>(fullSizeColumn(reduced.right - 1, image) + 1);
    return noErr;
}

bool fullSizeInputUsable(const FilterRecord* record) {
    const Rect& delivered = record->inRect;
    return record->inData && widthOf(delivered) > 0 && heightOf(delivered) > 0 &&
           planeCount(record->inLoPlane, record->inHiPlane) == record->planes &&
           record->inRowBytes >= widthOf(delivered) * record->planes;
}

// Point sampling: every n-th pixel of every n-th row, the edges replicated.
void reduceInput(const FilterRecord* record) {
    const Rect& delivered = record->inRect;
    const Rect& reduced = preview.reducedInRect;
    const int32 pixelBytes = record->planes;
    const uint8* source = static_cast<const uint8*>(record->inData);
    uint8* target = preview.reducedInput;
    for (int32 row = reduced.top; row < reduced.bottom; ++row) {
        const int32 y = fullSizeRow(row, delivered);
        const uint8* sourceRow = source + ptrdiff_t(y - delivered.top) * record->inRowBytes;
        for (int32 column = reduced.left; column < reduced.right; ++column) {
            const int32 x = fullSizeColumn(column, delivered);
            std::memcpy(target, sourceRow + ptrdiff_t(x - delivered.left) * pixelBytes,
                        size_t(pixelBytes));
            target += pixelBytes;
        }
    }
}

bool keepDeliveredOutput(const FilterRecord* record) {
    const int32 rowDataBytes = widthOf(record->outRect) * outputPixelBytes(record);
    const int32 rows = heightOf(record->outRect);
    uint8* copy = static_cast<uint8*>(std::malloc(size_t(rowDataBytes) * size_t(rows)));
    if (!copy) return false;
    const uint8* source = static_cast<const uint8*>(record->outData);
    for (int32 row = 0; row < rows; ++row) {
        std::memcpy(copy + ptrdiff_t(row) * rowDataBytes,
                    source + ptrdiff_t(row) * record->outRowBytes, size_t(rowDataBytes));
    }
    preview.deliveredOutput = copy;
    preview.outputRowDataBytes = rowDataBytes;
    preview.outputRows = rows;
    return true;
}

void restoreDeliveredOutput(FilterRecord* record) {
    uint8* target = static_cast<uint8*>(record->outData);
    if (!preview.deliveredOutput || !target) return;
    for (int32 row = 0; row < preview.outputRows; ++row) {
        std::memcpy(target + ptrdiff_t(row) * record->outRowBytes,
                    preview.deliveredOutput + ptrdiff_t(row) * preview.outputRowDataBytes,
                    size_t(preview.outputRowDataBytes));
    }
}

// Sets every request field for the one advanceState: the reduced selection as
// outRect, and either the host's sampled input around it or the full-size pixels
// under it.
int32 requestPreviewData(FilterRecord* record) {
    const int32 factor = preview.factor;
    record->outRect = scaleRectDown(record->filterRect, factor);
    record->inRect = record->outRect;
    requestInputAround(record, factor);
    // Reduce here when the host cannot, or when what it could deliver at the
    // factor would not even cover the reduced image.
    const bool reduceHere =
        factor > 1 && (!hostCanSample(record) || !rectContains(record->inRect, record->outRect));
    record->inLoPlane = record->outLoPlane = 0;
    record->inHiPlane = record->outHiPlane = static_cast<int16>(record->planes - 1);
    record->inputPadding = record->outputPadding = plugInWantsEdgeReplication;
    if (reduceHere) {
        const int32 result = requestFullSizeInput(record);
        if (result != noErr) return result;
    }

    const bool floatingMask = record->haveMask && record->isFloating;
    if (floatingMask) record->maskRect = record->inRect;
    const Fixed rate = reduceHere ? kFixedOne : factor << kFixedShift;
    record->inputRate = rate;
    if (record->haveMask) record->maskRate = rate;
    if (floatingMask) record->maskPadding = plugInWantsEdgeReplication;
    return noErr;
}

// After a successful advanceState: reduces full-size input, checks that the
// engine can run on what arrived, and keeps the output buffer as delivered.
int32 takeDeliveredData(const FilterRecord* record) {
    if (preview.reducedHere) {
        if (!fullSizeInputUsable(record)) return paramErr;
        reduceInput(record);
    }
    const FilterRecord view = previewView(record);
    if (!stripInputUsable(&view)) return paramErr;
    if (!keepDeliveredOutput(record)) return memFullErr;
    return noErr;
}

// The part of the source [sourceStart, sourceEnd) shown for an image span of
// `length` that the filtered view shows at wantedStart: the same place when
// the source holds it (the unfiltered view then covers exactly the filtered
// view's area), never reaching outside the source.
void placeSpan(int32 wantedStart, int32 length, int32 sourceStart, int32 sourceEnd, int32* start,
               int32* end) {
    if (sourceEnd - sourceStart <= length) {
        *start = sourceStart;
        *end = sourceEnd;
        return;
    }
    *start = clampToSpan(wantedStart, sourceStart, sourceEnd - length);
    *end = *start + length;
}

}  // namespace

Rect insetRect(const Rect& rect, int32 by) {
    return Rect{static_cast<int16>(rect.top + by), static_cast<int16>(rect.left + by),
                static_cast<int16>(rect.bottom - by), static_cast<int16>(rect.right - by)};
}

int32 previewReductionFactor(int32 imageWidth, int32 imageHeight, int32 frameWidth,
                             int32 frameHeight) {
    if (imageWidth < 1 || imageHeight < 1 || frameWidth < 1 || frameHeight < 1) return 0;
    const int32 fitWidth = frameWidth < imageWidth ? frameWidth : imageWidth;
    const int32 fitHeight = frameHeight < imageHeight ? frameHeight : imageHeight;
    const int32 byHeight = divideRoundingUp(imageHeight, fitHeight);
    const int32 byWidth = divideRoundingUp(imageWidth, fitWidth);
    return byHeight > byWidth ? byHeight : byWidth;
}

Rect scaleRectDown(const Rect& rect, int32 factor) {
    Rect scaled;
    scaled.top = scaleCoordinateDown(rect.top, factor);
    scaled.left = scaleCoordinateDown(rect.left, factor);
    scaled.bottom = static_cast<int16>(scaled.top + divideRoundingUp(heightOf(rect), factor));
    scaled.right = static_cast<int16>(scaled.left + divideRoundingUp(widthOf(rect), factor));
    return scaled;
}

int32 setUpPreview(FilterRecord* record, DialogWindow dialog) {
    releasePreviewBuffers();  // nothing of an earlier opening carries over

    Rect frameControl;
    if (!frameInDialog(dialog, &frameControl)) return noErr;
    const Rect frame = insetRect(frameControl, kFrameInset);
    // An empty selection (or a frame too small to hold a pixel) has no factor:
    // the record is left alone and the frame stays empty.
    const int32 factor = previewReductionFactor(
        widthOf(record->filterRect), heightOf(record->filterRect), widthOf(frame), heightOf(frame));
    if (factor == 0 || record->planes < kColourChannels) return paramErr;
    preview.factor = factor;

    int32 result = requestPreviewData(record);
    if (result == noErr) result = record->advanceState ? record->advanceState() : nilHandleErr;
    if (result == noErr) result = takeDeliveredData(record);
    if (result != noErr) {
        releasePreviewBuffers();
        return result;
    }
    preview.ready = true;
    renderPreview(record);
    return noErr;
}

void renderPreview(FilterRecord* record) {
    if (!preview.ready || !record) return;
    FilterRecord view = previewView(record);
    prepareEffect(&view);
    processStrip(&view);
}

int32 invalidatePreview(DialogWindow dialog) {
    Rect frame;
    if (!frameInDialog(dialog, &frame)) return nilHandleErr;
    invalidateDialogArea(dialog, frame);  // the image covers what it draws; no erase, no flicker
    return noErr;
}

int32 refreshPreview(FilterRecord* record, DialogWindow dialog) {
    renderPreview(record);
    invalidatePreview(dialog);
    return noErr;
}

void paintPreview(FilterRecord* record, DialogWindow dialog, void* drawingContext) {
    Rect frame;
    if (!frameInDialog(dialog, &frame)) return;
    outlineArea(drawingContext, frame);
    displayPreview(record, frame, drawingContext);
}

void paintPreviewNow(FilterRecord* record, DialogWindow dialog) {
    paintDialogNow(dialog, paintWithRecord, record);
}

void displayPreview(FilterRecord* record, const Rect& frame, void* drawingContext) {
    // Without usable data the inside of the frame stays plain.
    if (!preview.ready || !record || !record->displayPixels) return;
    const FilterRecord view = previewView(record);
    const bool filtered = showsEffect != 0;
    const Rect& source = filtered ? view.outRect : view.inRect;

    PSPixelMap pixels = {};
    pixels.version = kPixelMapVersion;
    pixels.bounds = VRect{source.top, source.left, source.bottom, source.right};
    pixels.imageMode = view.imageMode;
    pixels.rowBytes = filtered ? view.outRowBytes : view.inRowBytes;
    pixels.colBytes =
        filtered ? outputPixelBytes(&view) : planeCount(view.inLoPlane, view.inHiPlane);
    pixels.planeBytes = kPlaneBytes;
    pixels.baseAddr = filtered ? view.outData : view.inData;

    // Both views are drawn at the size of the reduced image, centred in the frame.
    const int32 width = widthOf(view.outRect);
    const int32 height = heightOf(view.outRect);
    VRect shown;
    placeSpan(view.outRect.top, height, source.top, source.bottom, &shown.top, &shown.bottom);
    placeSpan(view.outRect.left, width, source.left, source.right, &shown.left, &shown.right);
    const int32 row = frame.top + (heightOf(frame) - height) / 2;
    const int32 column = frame.left + (widthOf(frame) - width) / 2;

    // Hosts of this interface take the device context from platformData while
    // they draw; the host's own pointer goes back right after.
    void* hostPlatformData = record->platformData;
    record->platformData = drawingContext;
    record->displayPixels(&pixels, &shown, row, column, drawingContext);
    record->platformData = hostPlatformData;
}

int32 previewShowsEffect() { return showsEffect; }

void setPreviewShowsEffect(int32 showsEffectNow) { showsEffect = showsEffectNow; }

void closePreview(FilterRecord* record) {
    if (preview.ready) restoreDeliveredOutput(record);
    releasePreviewBuffers();
}
