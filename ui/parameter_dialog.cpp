// The parameter dialog: a slider and a field for each of Radiation, Amount and
// Mist, the live preview, Load... and Save.... It keeps no copy of the values:
// sliders and fields write straight into the effect settings, so the preview,
// the engine and the later pass all see the same three numbers.

#include "ui/parameter_dialog.h"

#include <windows.h>

#include <commctrl.h>  // after windows.h, which it builds on

#include "platform/win/module_instance.h"
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

constexpr int32 kPairCount = 3;        // Radiation, Amount, Mist: settings 0, 1, 2
constexpr int32 kWholeNumbers = 0;     // the fields show no decimals
constexpr INT_PTR kEndedWithOk = 1;    // EndDialog codes
constexpr INT_PTR kEndedWithCancel = 2;
constexpr INT_PTR kDialogFailed = -1;  // DialogBoxParamA could not make the dialog
constexpr int32 kConfirmed = 0;        // showParameterDialog's results
constexpr int32 kCancelled = 1;
constexpr int kCheckBoxTicked = BST_CHECKED;
constexpr LRESULT kNoSuchControl = -1;  // what the Preview box's check state reads as when it is missing

// The host record of the open dialog; every message after WM_INITDIALOG uses it.
FilterRecord* dialogHostRecord = nullptr;

// The owner of the module's dialogs: the host window, when the host named a real one.
HWND hostWindowOf(const FilterRecord* record) {
    const PlatformData* platform = static_cast<const PlatformData*>(record->platformData);
    if (!platform || platform->hwnd == 0) return nullptr;
    HWND window = reinterpret_cast<HWND>(platform->hwnd);
    // A handle that names no window would make the dialog fail to open at all.
    return IsWindow(window) ? window : nullptr;
}

BOOL onInitDialog(HWND dialog, const ParameterDialogInit* init) {
    dialogHostRecord = init->record;
    setUpPreview(dialogHostRecord, dialog);  // the dialog opens even when the preview cannot show anything
    setPreviewShowsEffect(1);
    setCheckBox(dialog, IDC_PREVIEW_CHECK, 1);
    bindPairs(dialog, init->pairCount, init->firstSliderId, init->firstFieldId, init->decimalPlaces);
    return FALSE;  // the focus is on the first field already
}

BOOL onPaint(HWND dialog) {
    if (!GetUpdateRect(dialog, nullptr, FALSE)) return FALSE;
    PAINTSTRUCT paint;
    HDC deviceContext = BeginPaint(dialog, &paint);
    if (deviceContext) paintPreview(dialogHostRecord, dialog, deviceContext);
    EndPaint(dialog, &paint);
    return FALSE;
}

void reshowEverything(HWND dialog) {
    const PairRun run = boundPairs();
    showAllPairs(dialog, run.pairCount, run.firstSliderId);
    refreshPreview(dialogHostRecord, dialog);
}

BOOL onOk(HWND dialog) {
    const int32 failedField = validateAllPairs(dialog);
    if (failedField > 0) {
        focusField(dialog, failedField);
        MessageBeep(MB_ICONEXCLAMATION);
        return TRUE;
    }
    EndDialog(dialog, kEndedWithOk);
    return FALSE;
}

void onLoad(HWND dialog) {
    if (loadParameterFile() == noErr) reshowEverything(dialog);
}

void onPreviewBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_PREVIEW_CHECK);
    const LRESULT state = box ? SendMessageA(box, BM_GETCHECK, 0, 0) : kNoSuchControl;
    setPreviewShowsEffect(state == kCheckBoxTicked || state == kNoSuchControl ? 1 : 0);
    reshowEverything(dialog);
}

void onFieldChange(HWND dialog, int32 fieldId, HWND field) {
    // Only what the user types counts: texts the dialog writes itself arrive
    // while the focus is elsewhere.
    if (GetFocus() != field) return;
    if (takeTypedValue(dialog, fieldId)) refreshPreview(dialogHostRecord, dialog);
}

BOOL onCommand(HWND dialog, int32 controlId, int32 notification, HWND control) {
    switch (controlId) {
        case IDC_OK:
            return onOk(dialog);
        case IDC_CANCEL:
            EndDialog(dialog, kEndedWithCancel);
            return FALSE;
        case IDC_LOAD:
            onLoad(dialog);
            return FALSE;
        case IDC_SAVE:
            saveParameterFile();  // a failed save changes nothing the user sees
            return FALSE;
        case IDC_PREVIEW_CHECK:
            if (notification == BN_CLICKED || notification == BN_DOUBLECLICKED) onPreviewBox(dialog);
            return FALSE;
        default:
            if (isPairField(controlId) && notification == EN_CHANGE) onFieldChange(dialog, controlId, control);
            return FALSE;
    }
}

BOOL onSliderScroll(HWND dialog, int32 scrollCode, HWND slider) {
    // Only the thumb counts. Arrow and page keys, Home and End, clicks in the
    // channel and the wheel move the thumb without changing the setting.
    if (scrollCode != TB_THUMBPOSITION && scrollCode != TB_THUMBTRACK) return FALSE;
    if (!takeSliderPosition(dialog, slider)) return FALSE;
    // During a drag the preview follows every notification at once.
    renderPreview(dialogHostRecord);
    paintPreviewNow(dialogHostRecord, dialog);
    return FALSE;
}

INT_PTR CALLBACK parameterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return onInitDialog(dialog, reinterpret_cast<const ParameterDialogInit*>(lParam));
        case WM_PAINT:
            return onPaint(dialog);
        case WM_COMMAND:
            return onCommand(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        case WM_HSCROLL:
        case WM_VSCROLL:
            return onSliderScroll(dialog, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        default:
            return FALSE;
    }
}

}  // namespace

int32 showParameterDialog(FilterRecord* record) {
    ParameterDialogInit init = {record, kPairCount, IDC_RADIATION_SLIDER, IDC_RADIATION_FIELD, kWholeNumbers};
    const INT_PTR ended = DialogBoxParamA(moduleInstance(), IDD_PARAMETERS, hostWindowOf(record),
                                          parameterDialogProc, reinterpret_cast<LPARAM>(&init));
    // The host's output buffer goes back as delivered, the preview's own buffers go.
    closePreview(record);
    if (ended == kDialogFailed) {
        const DWORD error = GetLastError();
        // Never report a dialog that did not open as confirmed.
        return error != 0 ? static_cast<int32>(error) : kAlreadyReported;
    }
    return ended == kEndedWithCancel ? kCancelled : kConfirmed;
}
