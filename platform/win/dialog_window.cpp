// The parameter dialog from its template (DBRL_PARAM), its messages cracked into
// the module's events.

#include "platform/dialog_window.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>  // after windows.h, which it builds on
// clang-format on

#include "platform/win/dialog_handles.h"
#include "platform/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

constexpr INT_PTR kDialogFailed = -1;  // DialogBoxParamA could not make the dialog

// What runParameterDialogWindow hands the dialog at creation.
struct DialogStart {
    const DialogEvents* events;
    void* context;
};

// The events of the open dialog; every message after WM_INITDIALOG uses them.
const DialogEvents* openDialogEvents = nullptr;

// The owner of the module's dialogs: the host window, when the host named a real one.
HWND hostWindowOf(const void* platformData) {
    const PlatformData* platform = static_cast<const PlatformData*>(platformData);
    if (!platform || platform->hwnd == 0) return nullptr;
    HWND window = reinterpret_cast<HWND>(platform->hwnd);
    // A handle that names no window would make the dialog fail to open at all.
    return IsWindow(window) ? window : nullptr;
}

ControlNotification notificationOf(WORD code) {
    switch (code) {
        case BN_CLICKED:
            return ControlNotification::clicked;
        case BN_DOUBLECLICKED:
            return ControlNotification::doubleClicked;
        case EN_CHANGE:
            return ControlNotification::textChanged;
        default:
            return ControlNotification::other;
    }
}

BOOL onInitDialog(HWND dialog, const DialogStart* start) {
    openDialogEvents = start->events;
    if (!openDialogEvents->onInit) return TRUE;
    // FALSE tells the dialog manager that the focus is placed already.
    return openDialogEvents->onInit(dialogOf(dialog), start->context) ? FALSE : TRUE;
}

BOOL onPaint(HWND dialog) {
    if (!GetUpdateRect(dialog, nullptr, FALSE)) return FALSE;
    PAINTSTRUCT paint;
    HDC deviceContext = BeginPaint(dialog, &paint);
    if (deviceContext && openDialogEvents->onPaint) {
        openDialogEvents->onPaint(dialogOf(dialog), deviceContext);
    }
    EndPaint(dialog, &paint);
    return FALSE;
}

BOOL onCommand(HWND dialog, WORD controlId, WORD notification) {
    if (!openDialogEvents->onCommand) return FALSE;
    return openDialogEvents->onCommand(dialogOf(dialog), controlId, notificationOf(notification))
               ? TRUE
               : FALSE;
}

BOOL onSliderScroll(HWND dialog, WORD scrollCode, HWND slider) {
    if (scrollCode != TB_THUMBPOSITION && scrollCode != TB_THUMBTRACK) return FALSE;
    if (!openDialogEvents->onSliderMoved) return FALSE;
    const int32 sliderId =
        slider && GetParent(slider) == dialog ? GetDlgCtrlID(slider) : kNoControl;
    openDialogEvents->onSliderMoved(dialogOf(dialog), sliderId);
    return FALSE;
}

INT_PTR CALLBACK parameterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return onInitDialog(dialog, reinterpret_cast<const DialogStart*>(lParam));
    }
    if (!openDialogEvents) return FALSE;  // messages before WM_INITDIALOG
    switch (message) {
        case WM_PAINT:
            return onPaint(dialog);
        case WM_COMMAND:
            return onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_HSCROLL:
        case WM_VSCROLL:
            return onSliderScroll(dialog, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        default:
            return FALSE;
    }
}

}  // namespace

DialogOutcome runParameterDialogWindow(const void* platformData, const DialogEvents& events,
                                       void* context) {
    DialogStart start = {&events, context};
    const INT_PTR ended =
        DialogBoxParamA(moduleInstance(), IDD_PARAMETERS, hostWindowOf(platformData),
                        parameterDialogProc, reinterpret_cast<LPARAM>(&start));
    const DWORD error = ended == kDialogFailed ? GetLastError() : 0;
    openDialogEvents = nullptr;
    if (ended == kDialogFailed) return DialogOutcome{false, 0, static_cast<int32>(error)};
    return DialogOutcome{true, static_cast<int32>(ended), 0};
}

void endDialog(DialogWindow dialog, int32 endCode) { EndDialog(windowOf(dialog), endCode); }

void warningBeep() { MessageBeep(MB_ICONEXCLAMATION); }

void paintDialogNow(DialogWindow dialog, PaintProc paint, void* context) {
    HDC deviceContext = GetDCEx(windowOf(dialog), nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (!deviceContext) return;
    paint(dialog, deviceContext, context);
    ReleaseDC(windowOf(dialog), deviceContext);
}

void invalidateDialogArea(DialogWindow dialog, const Rect& area) {
    const RECT frame = {area.left, area.top, area.right, area.bottom};
    InvalidateRect(windowOf(dialog), &frame, FALSE);
}

void outlineArea(void* drawingContext, const Rect& area) {
    const RECT frame = {area.left, area.top, area.right, area.bottom};
    FrameRect(static_cast<HDC>(drawingContext), &frame,
              static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
