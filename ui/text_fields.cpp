#include "ui/text_fields.h"

#include <cstring>

#include "platform/dialog_controls.h"
#include "text/text_toolkit.h"

namespace {

// The field read buffer: 29 characters and the terminator.
constexpr int kFieldReadBufferSize = 30;
// The count of characters read becomes the length byte, taken modulo 256.
constexpr int kLengthByteModulus = 256;

}  // namespace

void setFieldText(DialogWindow dialog, int32 controlId, const uint8* text) {
    if (!hasControl(dialog, controlId)) return;
    char zeroTerminated[kLStringBufferSize];
    lstringToCString(text, zeroTerminated);
    setControlText(dialog, controlId, zeroTerminated);
}

void setFieldInt(DialogWindow dialog, int32 controlId, int32 value) {
    uint8 text[kLStringBufferSize];
    intToLString(value, text);
    setFieldText(dialog, controlId, text);
}

void setFieldFixed(DialogWindow dialog, int32 controlId, float value, int32 decimals) {
    uint8 text[kLStringBufferSize];
    signedFixedToLString(value, decimals, text, 0);
    setFieldText(dialog, controlId, text);
}

FieldNumber readFieldNumber(DialogWindow dialog, int32 controlId) {
    if (!dialog) return FieldNumber{0.0f, false};
    char typed[kFieldReadBufferSize] = {};
    const int32 count = controlText(dialog, controlId, typed, kFieldReadBufferSize);
    if (count <= 0) return FieldNumber{0.0f, false};

    // The call never reports more than it wrote; the limit only keeps the parse
    // inside what was read should a system ever report otherwise.
    int32 length = count % kLengthByteModulus;
    if (length > kFieldReadBufferSize - 1) length = kFieldReadBufferSize - 1;
    uint8 text[kLStringBufferSize];
    text[0] = static_cast<uint8>(length);
    std::memcpy(text + 1, typed, length);
    return FieldNumber{lstringToNumber(text), true};
}

ClampedInt readFieldIntClamped(DialogWindow dialog, int32 controlId, int32 min, int32 max) {
    if (!dialog) return ClampedInt{min, false};
    int32 typed = 0;
    if (!controlWholeNumber(dialog, controlId, &typed)) return ClampedInt{min, false};
    if (typed < min) return ClampedInt{min, false};
    if (typed > max) return ClampedInt{max, false};
    return ClampedInt{typed, true};
}

ClampedNumber readFieldNumberClamped(DialogWindow dialog, int32 controlId, float min, float max) {
    const FieldNumber typed = readFieldNumber(dialog, controlId);
    if (!typed.found) return ClampedNumber{min, false};
    if (typed.number < min) return ClampedNumber{min, false};
    if (typed.number > max) return ClampedNumber{max, false};
    return ClampedNumber{typed.number, true};
}
