// The dialog's controls on the Mac, where no dialog opens yet
// (platform/mac/dialog_window.cpp): every dialog has no controls, so each
// operation does nothing and each read reports nothing found.

#include "platform/dialog_controls.h"

bool hasControl(DialogWindow /*dialog*/, int32 /*controlId*/) { return false; }

bool controlBounds(DialogWindow /*dialog*/, int32 /*controlId*/, Rect* /*bounds*/) { return false; }

void setControlText(DialogWindow /*dialog*/, int32 /*controlId*/, const char* /*text*/) {}

int32 controlText(DialogWindow /*dialog*/, int32 /*controlId*/, char* text, int32 capacity) {
    if (text && capacity > 0) text[0] = '\0';
    return 0;
}

bool controlWholeNumber(DialogWindow /*dialog*/, int32 /*controlId*/, int32* /*number*/) {
    return false;
}

void focusSelectingAll(DialogWindow /*dialog*/, int32 /*controlId*/) {}

bool controlHasFocus(DialogWindow /*dialog*/, int32 /*controlId*/) { return false; }

void setCheckBox(DialogWindow /*dialog*/, int32 /*controlId*/, bool /*ticked*/) {}

int32 checkBoxState(DialogWindow /*dialog*/, int32 /*controlId*/) { return kNoControl; }

int32 sliderPosition(DialogWindow /*dialog*/, int32 /*sliderId*/) { return 0; }

void setSliderPosition(DialogWindow /*dialog*/, int32 /*sliderId*/, int32 /*position*/) {}

void setSliderRange(DialogWindow /*dialog*/, int32 /*sliderId*/, int32 /*minimum*/,
                    int32 /*maximum*/) {}

int32 sliderMinimum(DialogWindow /*dialog*/, int32 /*sliderId*/) { return 0; }

int32 sliderMaximum(DialogWindow /*dialog*/, int32 /*sliderId*/) { return 0; }

bool sliderIsUpright(DialogWindow /*dialog*/, int32 /*sliderId*/) { return false; }

uint32 sliderTag(DialogWindow /*dialog*/, int32 /*sliderId*/) { return 0; }

void setSliderTag(DialogWindow /*dialog*/, int32 /*sliderId*/, uint32 /*tag*/) {}
