// The field operations: numbers and texts in and out of a dialog's edit and
// check-box controls. A control id the dialog does not have makes every
// operation do nothing (reads then report nothing found).
#pragma once

#include <windows.h>

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
void setFieldText(HWND dialog, int controlId, const uint8* text);
void setFieldInt(HWND dialog, int controlId, int32 value);
// value with the given number of decimal places (0..3), a "-" for a negative value.
void setFieldFixed(HWND dialog, int controlId, float value, int32 decimals);
// The field's text (at most 29 characters) parsed leniently.
FieldNumber readFieldNumber(HWND dialog, int controlId);
// The field as a signed whole number, limited to [min, max].
ClampedInt readFieldIntClamped(HWND dialog, int controlId, int32 min, int32 max);
// The field as a number with decimals, limited to [min, max], bounds included.
ClampedNumber readFieldNumberClamped(HWND dialog, int controlId, float min, float max);
// Ticks the box for state 1 and clears it for anything else.
void setCheckBox(HWND dialog, int controlId, int32 state);
// Selects the whole text of the field and gives it the keyboard focus.
void focusField(HWND dialog, int controlId);
