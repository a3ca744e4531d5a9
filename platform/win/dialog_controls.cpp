#include "platform/dialog_controls.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>  // after windows.h, which it builds on
// clang-format on

#include "platform/win/dialog_handles.h"

namespace {

HWND controlOf(DialogWindow dialog, int32 controlId) {
    return GetDlgItem(windowOf(dialog), controlId);
}

}  // namespace

bool hasControl(DialogWindow dialog, int32 controlId) {
    return controlOf(dialog, controlId) != nullptr;
}

bool controlBounds(DialogWindow dialog, int32 controlId, Rect* bounds) {
    HWND control = controlOf(dialog, controlId);
    RECT frame;
    if (!control || !GetWindowRect(control, &frame)) return false;
    MapWindowPoints(HWND_DESKTOP, windowOf(dialog), reinterpret_cast<POINT*>(&frame), 2);
    *bounds = Rect{static_cast<int16>(frame.top), static_cast<int16>(frame.left),
                   static_cast<int16>(frame.bottom), static_cast<int16>(frame.right)};
    return true;
}

void setControlText(DialogWindow dialog, int32 controlId, const char* text) {
    HWND field = controlOf(dialog, controlId);
    if (!field) return;
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    // The number must be on screen before the call returns: during a slider drag
    // the message loop does not get round to painting the field.
    RedrawWindow(field, nullptr, nullptr, RDW_UPDATENOW);
}

int32 controlText(DialogWindow dialog, int32 controlId, char* text, int32 capacity) {
    return static_cast<int32>(GetDlgItemTextA(windowOf(dialog), controlId, text, capacity));
}

bool controlWholeNumber(DialogWindow dialog, int32 controlId, int32* number) {
    BOOL translated = FALSE;
    *number = static_cast<int32>(GetDlgItemInt(windowOf(dialog), controlId, &translated, TRUE));
    return translated != FALSE;
}

void focusSelectingAll(DialogWindow dialog, int32 controlId) {
    HWND field = controlOf(dialog, controlId);
    if (!field) return;
    SendMessageA(field, EM_SETSEL, 0, -1);  // select everything
    SetFocus(field);
}

bool controlHasFocus(DialogWindow dialog, int32 controlId) {
    HWND control = controlOf(dialog, controlId);
    return control && GetFocus() == control;
}

void setCheckBox(DialogWindow dialog, int32 controlId, bool ticked) {
    HWND box = controlOf(dialog, controlId);
    if (!box) return;
    SendMessageA(box, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int32 checkBoxState(DialogWindow dialog, int32 controlId) {
    HWND box = controlOf(dialog, controlId);
    if (!box) return kNoControl;
    const LRESULT state = SendMessageA(box, BM_GETCHECK, 0, 0);
    if (state == BST_CHECKED) return kCheckBoxTicked;
    if (state == BST_UNCHECKED) return kCheckBoxUnticked;
    return static_cast<int32>(state);
}

int32 sliderPosition(DialogWindow dialog, int32 sliderId) {
    return static_cast<int32>(SendMessageA(controlOf(dialog, sliderId), TBM_GETPOS, 0, 0));
}

void setSliderPosition(DialogWindow dialog, int32 sliderId, int32 position) {
    // The position travels as a signed 16-bit number.
    SendMessageA(controlOf(dialog, sliderId), TBM_SETPOS, TRUE,
                 static_cast<LPARAM>(static_cast<int16>(position)));
}

void setSliderRange(DialogWindow dialog, int32 sliderId, int32 minimum, int32 maximum) {
    SendMessageA(controlOf(dialog, sliderId), TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
}

int32 sliderMinimum(DialogWindow dialog, int32 sliderId) {
    return static_cast<int32>(SendMessageA(controlOf(dialog, sliderId), TBM_GETRANGEMIN, 0, 0));
}

int32 sliderMaximum(DialogWindow dialog, int32 sliderId) {
    return static_cast<int32>(SendMessageA(controlOf(dialog, sliderId), TBM_GETRANGEMAX, 0, 0));
}

bool sliderIsUpright(DialogWindow dialog, int32 sliderId) {
    RECT bounds;
    if (!GetWindowRect(controlOf(dialog, sliderId), &bounds)) return false;
    return bounds.bottom - bounds.top > bounds.right - bounds.left;
}

uint32 sliderTag(DialogWindow dialog, int32 sliderId) {
    return static_cast<uint32>(GetWindowLongPtrA(controlOf(dialog, sliderId), GWLP_USERDATA));
}

void setSliderTag(DialogWindow dialog, int32 sliderId, uint32 tag) {
    SetWindowLongPtrA(controlOf(dialog, sliderId), GWLP_USERDATA, static_cast<LONG_PTR>(tag));
}
