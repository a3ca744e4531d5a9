#include "ui/text_fields.h"

#include <cstring>

#include "text/text_toolkit.h"

namespace {

// GetDlgItemTextA's buffer: 29 characters and the terminator.
constexpr int kFieldReadBufferSize = 30;
// The count GetDlgItemTextA returns becomes the length byte, taken modulo 256.
constexpr int kLengthByteModulus = 256;

}  // namespace

void setFieldText(HWND dialog, int controlId, const uint8* text) {
    HWND field = GetDlgItem(dialog, controlId);
    if (!field) return;
    char zeroTerminated[kLStringBufferSize];
    lstringToCString(text, zeroTerminated);
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(zeroTerminated));
    // The number must be on screen before the call returns: during a slider drag
    // the message loop does not get round to painting the field.
    RedrawWindow(field, nullptr, nullptr, RDW_UPDATENOW);
}

void setFieldInt(HWND dialog, int controlId, int32 value) {
    uint8 text[kLStringBufferSize];
    intToLString(value, text);
    setFieldText(dialog, controlId, text);
}

void setFieldFixed(HWND dialog, int controlId, float value, int32 decimals) {
    uint8 text[kLStringBufferSize];
    signedFixedToLString(value, decimals, text, 0);
    setFieldText(dialog, controlId, text);
}

FieldNumber readFieldNumber(HWND dialog, int controlId) {
    if (!dialog) return FieldNumber{0.0f, false};
    char typed[kFieldReadBufferSize] = {};
    const UINT count = GetDlgItemTextA(dialog, controlId, typed, kFieldReadBufferSize);
    if (count == 0) return FieldNumber{0.0f, false};

    // The call never reports more than it wrote; the limit only keeps the parse
    // inside what was read should a system ever report otherwise.
    UINT length = count % kLengthByteModulus;
    if (length > kFieldReadBufferSize - 1) length = kFieldReadBufferSize - 1;
    uint8 text[kLStringBufferSize];
    text[0] = static_cast<uint8>(length);
    std::memcpy(text + 1, typed, length);
    return FieldNumber{lstringToNumber(text), true};
}

ClampedInt readFieldIntClamped(HWND dialog, int controlId, int32 min, int32 max) {
    if (!dialog) return ClampedInt{min, false};
    BOOL translated = FALSE;
    const int32 typed = static_cast<int32>(GetDlgItemInt(dialog, controlId, &translated, TRUE));
    if (!translated) return ClampedInt{min, false};
    if (typed < min) return ClampedInt{min, false};
    if (typed > max) return ClampedInt{max, false};
    return ClampedInt{typed, true};
}

ClampedNumber readFieldNumberClamped(HWND dialog, int controlId, float min, float max) {
    const FieldNumber typed = readFieldNumber(dialog, controlId);
    if (!typed.found) return ClampedNumber{min, false};
    if (typed.number < min) return ClampedNumber{min, false};
    if (typed.number > max) return ClampedNumber{max, false};
    return ClampedNumber{typed.number, true};
}

void setCheckBox(HWND dialog, int controlId, int32 state) {
    HWND box = GetDlgItem(dialog, controlId);
    if (!box) return;
    SendMessageA(box, BM_SETCHECK, state == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void focusField(HWND dialog, int controlId) {
    HWND field = GetDlgItem(dialog, controlId);
    if (!field) return;
    SendMessageA(field, EM_SETSEL, 0, -1);  // select everything
    SetFocus(field);
}
