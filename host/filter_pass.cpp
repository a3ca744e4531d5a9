// Start does the whole pass inside the one call: it reads the settings, gets the
// engine's work buffer, shows the dialog when the settings ask for it, and walks
// filterRect top to bottom in strips of 32 rows through advanceState. It returns
// with inRect and outRect empty, so a host has nothing left to send through Continue.

#include "host/filter_pass.h"

#include "engine/effect_tables.h"
#include "host/host_errors.h"
#include "params/effect_settings.h"
#include "params/parameter_block.h"
#include "platform/host_memory.h"
#include "sdk/host_constants.h"
#include "strips/module_effect.h"
#include "strips/strip_geometry.h"
#include "ui/parameter_dialog.h"

namespace {

Handle workBufferHandle = nullptr;  // locked for the whole pass, disposed while locked

constexpr Rect kEmptyRect = {0, 0, 0, 0};

bool hostModeSupported(const FilterRecord* record) {
    return record->imageMode == plugInModeRGBColor && record->planes >= 3;
}

void emptyRequestRects(FilterRecord* record) {
    record->inRect = kEmptyRect;
    record->outRect = kEmptyRect;
}

// Some hosts free the parameter handle themselves after every Start.
void releaseParametersForHost(FilterRecord* record) {
    if (record->hostSig == kHostSigMFI1 && record->parameters) {
        disposeHandle(record, record->parameters);
        record->parameters = nullptr;
    }
}

void requestAllPlanes(FilterRecord* record) {
    record->inLoPlane = record->outLoPlane = 0;
    record->inHiPlane = record->outHiPlane = static_cast<int16>(record->planes - 1);
    record->inputPadding = record->outputPadding = plugInWantsEdgeReplication;
}

void reportProgress(const FilterRecord* record, int32 done, int32 total) {
    if (record->progressProc) record->progressProc(done, total);
}

// The host's abort answer as an unsigned byte (1 for true), or 0 to go on.
int32 abortRequested(const FilterRecord* record) {
    if (!record->abortProc) return 0;
    return static_cast<uint8>(record->abortProc());
}

}  // namespace

int32 allocateWorkBuffer(FilterRecord* record) {
    workBufferHandle = newHandle(record, workBufferSize(record));
    if (!workBufferHandle) return memFullErr;
    Ptr block = lockHandle(record, workBufferHandle, true);
    if (!block) {
        disposeHandle(record, workBufferHandle);
        workBufferHandle = nullptr;
        return nilHandleErr;
    }
    attachWorkBuffer(record, block);
    return noErr;
}

void releaseWorkBuffer(FilterRecord* record) {
    finishEffect(record);
    if (workBufferHandle) disposeHandle(record, workBufferHandle);
    workBufferHandle = nullptr;
}

int32 runParameterDialog(FilterRecord* record) {
    if (!requireDisplayPixels(record->displayPixels)) return kAlreadyReported;
    return showParameterDialog(record);
}

int32 filterStrips(FilterRecord* record) {
    // Continue after Start finds no work buffer: the pass is over, nothing may run.
    if (!workBufferHandle) {
        emptyRequestRects(record);
        return noErr;
    }
    const int16 top = record->filterRect.top;
    const int16 bottom = record->filterRect.bottom;
    const int32 total = bottom - top;

    record->outRect.left = record->filterRect.left;
    record->outRect.right = record->filterRect.right;
    requestAllPlanes(record);
    if (record->haveMask && record->isFloating) {
        record->maskRect = kEmptyRect;
        record->maskPadding = plugInWantsEdgeReplication;
    }
    record->inputRate = record->maskRate = kFixedOne;

    record->outRect.top = record->outRect.bottom = top;
    int32 row = top;
    int32 result = noErr;
    do {
        reportProgress(record, row - top, total);
        result = abortRequested(record);
        if (result != 0) break;

        record->outRect.top = record->outRect.bottom;
        row = row + kStripHeight < bottom ? row + kStripHeight : bottom;
        record->outRect.bottom = static_cast<int16>(row);
        requestStripInput(record);

        result = record->advanceState();
        if (result != noErr) break;
        if (!stripInputUsable(record)) {
            result = paramErr;  // the host delivered less than the strip needs
            break;
        }
        processStrip(record);
    } while (row < bottom);

    emptyRequestRects(record);
    return result;
}

int32 startFilter(FilterRecord* record) {
    int32 result = noErr;
    if (!hostModeSupported(record)) {
        result = filterBadMode;
    } else if (requireAdvanceState(record->advanceState)) {
        result = loadParametersForStart(record);
        if (result == noErr) {
            result = allocateWorkBuffer(record);
            if (result == noErr) {
                if (getShowDialogFlag() != 0) {
                    result = runParameterDialog(record);
                    if (result == noErr) {
                        setShowDialogFlag(0);
                        storeParametersAfterDialog(record);  // a failed disk write never stops a run
                    }
                }
                if (result == noErr) {
                    // The preview leaves inputRate at its reduction factor; the radius
                    // is computed at the rate in force, so reset it first.
                    record->inputRate = record->maskRate = kFixedOne;
                    prepareEffect(record);
                    result = filterStrips(record);
                }
            }
            releaseWorkBuffer(record);
        }
    }
    emptyRequestRects(record);
    releaseParametersForHost(record);
    return result;
}
