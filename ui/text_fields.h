// The field operations: numbers and texts in and out of a dialog's fields. A
// control id the dialog does not have makes every operation do nothing (reads
// then report nothing found).
#pragma once

#include "platform/dialog_window.h"
#include "sdk/host_types.h"

// What a field held when it was read as a number.
struct FieldNumber {
    float number;  // 0 when nothing was found
    bool found;    // false for an empty field, a missing control or a null dialog
};

// A field read with limits: always a usable value, valid or not.
struct ClampedInt {
    int32 value;  // the typed number, or the limit it passed, or min when there was none
    bool valid;   // true only for a whole number within [min, max]
};

struct ClampedNumber {
    float value;
    bool valid;
};

// Writes a length-prefixed string into the field and has it redrawn before returning.
void setFieldText(DialogWindow dialog, int32 controlId, const uint8* text);
void setFieldInt(DialogWindow dialog, int32 controlId, int32 value);
// value with the given number of decimal places (0..3), a "-" for a negative value.
void setFieldFixed(DialogWindow dialog, int32 controlId, float value, int32 decimals);
// The field's text (at most 29 characters) parsed leniently.
FieldNumber readFieldNumber(DialogWindow dialog, int32 controlId);
// The field as a signed whole number, limited to [min, max].
ClampedInt readFieldIntClamped(DialogWindow dialog, int32 controlId, int32 min, int32 max);
// The field as a number with decimals, limited to [min, max], bounds included.
ClampedNumber readFieldNumberClamped(DialogWindow dialog, int32 controlId, float min, float max);
