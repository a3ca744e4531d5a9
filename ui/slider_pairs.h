// Slider/field pairs: a run of sliders and a run of numeric fields with
// consecutive ids, bound pairwise to consecutive effect settings. Each slider
// carries a tag naming its field, its setting and the decimal places its field
// shows; everything done with a pair goes through that tag.
#pragma once

#include "platform/dialog_window.h"
#include "sdk/host_types.h"

// The tag kept in a slider's window user data:
// bits 0-15 the field id, 16-23 the setting index, 24-31 the decimal places (0..3).
uint32 makePairTag(int32 fieldId, int32 settingIndex, int32 decimals);
int32 pairTagField(uint32 tag);
int32 pairTagSetting(uint32 tag);
int32 pairTagDecimals(uint32 tag);

// The run recorded by the last binding; all zero before the first one, and kept
// from one opening of the dialog to the next.
struct PairRun {
    int32 firstSliderId;
    int32 firstFieldId;
    int32 pairCount;
};
PairRun boundPairs();

// A slider's value: its position, turned round for a slider taller than wide so
// that up means more.
int32 getSliderValue(DialogWindow dialog, int32 sliderId);
void setSliderValue(DialogWindow dialog, int32 sliderId, int32 value);

// Tags every slider of the run, gives it the range 0..100, shows its setting,
// then puts the focus on the first field with its text selected.
void bindPairs(DialogWindow dialog, int32 count, int32 firstSliderId, int32 firstFieldId,
               int32 decimals);
// Shows the setting in the slider and its field; nilHandleErr for a missing slider.
int32 showPair(DialogWindow dialog, int32 sliderId);
void showAllPairs(DialogWindow dialog, int32 count, int32 firstSliderId);
// Stores the field's value when it is valid; otherwise writes the corrected value
// into the field and returns the field's id. nilHandleErr for a missing slider.
int32 validatePair(DialogWindow dialog, int32 sliderId);
// validatePair over the bound run; the first nonzero result, else 0.
int32 validateAllPairs(DialogWindow dialog);

// True for a field of the bound run.
bool isPairField(int32 controlId);
// The user typed into a bound field: the setting and the slider follow the
// value limited to the slider's range; the field's text stays as typed.
// True when the setting changed.
bool takeTypedValue(DialogWindow dialog, int32 fieldId);
// A bound slider's thumb was moved: the setting and the field follow it.
// False when the id is not a bound slider's.
bool takeSliderPosition(DialogWindow dialog, int32 sliderId);
