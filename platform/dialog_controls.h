// The controls of an open dialog (platform/dialog_window.h), by control id:
// fields, check boxes and sliders. On a control id the dialog does not have,
// every operation does nothing, and reads report nothing found.
#pragma once

#include "platform/dialog_window.h"
#include "sdk/host_types.h"

bool hasControl(DialogWindow dialog, int32 controlId);
// The control's rectangle in the dialog's coordinates; false when it has none.
bool controlBounds(DialogWindow dialog, int32 controlId, Rect* bounds);

// Writes the text and has the field redrawn before returning.
void setControlText(DialogWindow dialog, int32 controlId, const char* text);
// The field's text, zero-terminated and cut to capacity - 1 characters; the count
// of characters copied, 0 for an empty field or a missing control.
int32 controlText(DialogWindow dialog, int32 controlId, char* text, int32 capacity);
// The field read as a signed whole number (spaces and a sign allowed); false
// when it holds none.
bool controlWholeNumber(DialogWindow dialog, int32 controlId, int32* number);
// Selects the whole text of the field and gives it the keyboard focus.
void focusSelectingAll(DialogWindow dialog, int32 controlId);
bool controlHasFocus(DialogWindow dialog, int32 controlId);

constexpr int32 kCheckBoxUnticked = 0;
constexpr int32 kCheckBoxTicked = 1;
void setCheckBox(DialogWindow dialog, int32 controlId, bool ticked);
// kCheckBoxTicked, kCheckBoxUnticked, another state of the box, or kNoControl.
int32 checkBoxState(DialogWindow dialog, int32 controlId);

// Sliders: the thumb's position within the range, as the slider keeps it (the
// top of an upright slider is its minimum).
int32 sliderPosition(DialogWindow dialog, int32 sliderId);
void setSliderPosition(DialogWindow dialog, int32 sliderId, int32 position);  // redrawn
void setSliderRange(DialogWindow dialog, int32 sliderId, int32 minimum, int32 maximum);
int32 sliderMinimum(DialogWindow dialog, int32 sliderId);
int32 sliderMaximum(DialogWindow dialog, int32 sliderId);
// Taller than wide.
bool sliderIsUpright(DialogWindow dialog, int32 sliderId);
// A number the module keeps with the slider for as long as the dialog is open.
uint32 sliderTag(DialogWindow dialog, int32 sliderId);
void setSliderTag(DialogWindow dialog, int32 sliderId, uint32 tag);
