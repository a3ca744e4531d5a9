// The parameter dialog: a slider and a field for each of Radiation, Amount and
// Mist, the live preview, Load... and Save.... It keeps no copy of the values:
// sliders and fields write straight into the effect settings, so the preview,
// the engine and the later pass all see the same three numbers. The window
// itself is the platform's (platform/dialog_window.h).

#include "ui/parameter_dialog.h"

#include "platform/dialog_controls.h"
#include "platform/dialog_window.h"
#include "resources/resource_ids.h"
#include "sdk/host_constants.h"
#include "ui/file_dialogs.h"
#include "ui/preview.h"
#include "ui/slider_pairs.h"
#include "ui/text_fields.h"

namespace {

// What showParameterDialog hands the dialog at creation.
struct ParameterDialogInit {
    FilterRecord* record;
    int32 pairCount;
    int32 firstSliderId;
    int32 firstFieldId;
    int32 decimalPlaces;
};

constexpr int32 kPairCount = 3;     // Radiation, Amount, Mist: settings 0, 1, 2
constexpr int32 kWholeNumbers = 0;  // the fields show no decimals
constexpr int32 kEndedWithOk = 1;   // endDialog codes
constexpr int32 kEndedWithCancel = 2;
constexpr int32 kConfirmed = 0;  // showParameterDialog's results
constexpr int32 kCancelled = 1;

// The host record of the open dialog; every event after onInit uses it.
FilterRecord* dialogHostRecord = nullptr;

bool onInit(DialogWindow dialog, void* context) {
    const ParameterDialogInit* init = static_cast<const ParameterDialogInit*>(context);
    dialogHostRecord = init->record;
    setUpPreview(dialogHostRecord,
                 dialog);  // the dialog opens even when the preview cannot show anything
    setPreviewShowsEffect(1);
    setCheckBox(dialog, IDC_PREVIEW_CHECK, true);
    bindPairs(dialog, init->pairCount, init->firstSliderId, init->firstFieldId,
              init->decimalPlaces);
    return true;  // the focus is on the first field already
}

void onPaint(DialogWindow dialog, void* drawingContext) {
    paintPreview(dialogHostRecord, dialog, drawingContext);
}

void reshowEverything(DialogWindow dialog) {
    const PairRun run = boundPairs();
    showAllPairs(dialog, run.pairCount, run.firstSliderId);
    refreshPreview(dialogHostRecord, dialog);
}

bool onOk(DialogWindow dialog) {
    const int32 failedField = validateAllPairs(dialog);
    if (failedField > 0) {
        focusSelectingAll(dialog, failedField);
        warningBeep();
        return true;
    }
    endDialog(dialog, kEndedWithOk);
    return false;
}

void onLoad(DialogWindow dialog) {
    if (loadParameterFile() == noErr) reshowEverything(dialog);
}

void onPreviewBox(DialogWindow dialog) {
    const int32 state = checkBoxState(dialog, IDC_PREVIEW_CHECK);
    setPreviewShowsEffect(state == kCheckBoxTicked || state == kNoControl ? 1 : 0);
    reshowEverything(dialog);
}

void onFieldChange(DialogWindow dialog, int32 fieldId) {
    // Only what the user types counts: texts the dialog writes itself arrive
    // while the focus is elsewhere.
    if (!controlHasFocus(dialog, fieldId)) return;
    if (takeTypedValue(dialog, fieldId)) refreshPreview(dialogHostRecord, dialog);
}

bool onCommand(DialogWindow dialog, int32 controlId, ControlNotification notification) {
    switch (controlId) {
        case IDC_OK:
            return onOk(dialog);
        case IDC_CANCEL:
            endDialog(dialog, kEndedWithCancel);
            return false;
        case IDC_LOAD:
            onLoad(dialog);
            return false;
        case IDC_SAVE:
            saveParameterFile();  // a failed save changes nothing the user sees
            return false;
        case IDC_PREVIEW_CHECK:
            if (notification == ControlNotification::clicked ||
                notification == ControlNotification::doubleClicked) {
                onPreviewBox(dialog);
            }
            return false;
        default:
            if (isPairField(controlId) && notification == ControlNotification::textChanged) {
                onFieldChange(dialog, controlId);
            }
            return false;
    }
}

void onSliderMoved(DialogWindow dialog, int32 sliderId) {
    if (!takeSliderPosition(dialog, sliderId)) return;
    // During a drag the preview follows every notification at once.
    renderPreview(dialogHostRecord);
    paintPreviewNow(dialogHostRecord, dialog);
}

const DialogEvents kParameterDialogEvents = {onInit, onCommand, onSliderMoved, onPaint};

}  // namespace

int32 showParameterDialog(FilterRecord* record) {
    ParameterDialogInit init = {record, kPairCount, IDC_RADIATION_SLIDER, IDC_RADIATION_FIELD,
                                kWholeNumbers};
    const DialogOutcome outcome =
        runParameterDialogWindow(record->platformData, kParameterDialogEvents, &init);
    // The host's output buffer goes back as delivered, the preview's own buffers go.
    closePreview(record);
    if (!outcome.opened) {
        // Never report a dialog that did not open as confirmed.
        return outcome.error != 0 ? outcome.error : kAlreadyReported;
    }
    return outcome.endCode == kEndedWithCancel ? kCancelled : kConfirmed;
}
