// The dialog's controls on the Mac, by the template's control ids: the views
// made by platform/mac/dialog_window.cpp, found in the dialog's record. A
// slider's range and tag are kept in the record beside its view.

#include "platform/dialog_controls.h"

#include <cstring>

#include "platform/mac/appkit.h"
#include "platform/mac/cocoa_objects.h"
#include "platform/mac/dialog_record.h"
#include "text/text_toolkit.h"

namespace {

// Enough for any number a field can sensibly hold; longer text is cut, as a
// Windows field cuts what does not fit its width.
constexpr int32 kWholeNumberTextCapacity = 64;

id viewOf(DialogWindow dialog, int32 controlId) {
    const MacControl* control = controlWithId(dialog, controlId);
    return control ? control->view : nullptr;
}

MacControl* sliderWithId(DialogWindow dialog, int32 sliderId) {
    MacControl* control = controlWithId(dialog, sliderId);
    return control && control->kind == MacControlKind::slider && control->view ? control : nullptr;
}

// The nearest whole number, halves up: slider values are never negative here,
// but a range may be.
int32 roundToWhole(double value) {
    const double shifted = value + 0.5;
    const int32 truncated = static_cast<int32>(shifted);
    return double(truncated) > shifted ? truncated - 1 : truncated;
}

}  // namespace

bool hasControl(DialogWindow dialog, int32 controlId) {
    return controlWithId(dialog, controlId) != nullptr;
}

bool controlBounds(DialogWindow dialog, int32 controlId, Rect* bounds) {
    const MacControl* control = controlWithId(dialog, controlId);
    if (!control) return false;
    *bounds = control->frame;
    return true;
}

void setControlText(DialogWindow dialog, int32 controlId, const char* text) {
    id view = viewOf(dialog, controlId);
    if (!view) return;
    send<void>(view, "setStringValue:", nsString(text));
    // On screen before the call returns: during a slider drag AppKit's tracking
    // loop would otherwise draw the field only when the drag ends.
    send<void>(view, "display");
}

int32 controlText(DialogWindow dialog, int32 controlId, char* text, int32 capacity) {
    if (!text || capacity <= 0) return 0;
    text[0] = '\0';
    id view = viewOf(dialog, controlId);
    id string = view ? send(view, "stringValue") : nullptr;
    const char* utf8 = string ? send<const char*>(string, "UTF8String") : nullptr;
    if (!utf8) return 0;
    size_t length = std::strlen(utf8);
    if (length > size_t(capacity - 1)) length = size_t(capacity - 1);
    std::memcpy(text, utf8, length);
    text[length] = '\0';
    return static_cast<int32>(length);
}

bool controlWholeNumber(DialogWindow dialog, int32 controlId, int32* number) {
    char text[kWholeNumberTextCapacity];
    if (!hasControl(dialog, controlId)) return false;
    controlText(dialog, controlId, text, kWholeNumberTextCapacity);
    return parseWholeNumber(text, *number);
}

void focusSelectingAll(DialogWindow dialog, int32 controlId) {
    id view = viewOf(dialog, controlId);
    if (!view) return;
    // Makes the field the window's first responder with all its text selected.
    send<void>(view, "selectText:", static_cast<id>(nullptr));
}

bool controlHasFocus(DialogWindow dialog, int32 controlId) {
    const MacControl* control = controlWithId(dialog, controlId);
    if (!control || !control->view) return false;
    // A field being edited has the window's field editor; other controls are
    // the first responder themselves.
    if (control->kind == MacControlKind::field) {
        return send(control->view, "currentEditor") != nullptr;
    }
    return send(dialog->window, "firstResponder") == control->view;
}

void setCheckBox(DialogWindow dialog, int32 controlId, bool ticked) {
    id view = viewOf(dialog, controlId);
    if (!view) return;
    send<void>(view, "setState:", ticked ? NSControlStateValueOn : NSControlStateValueOff);
}

int32 checkBoxState(DialogWindow dialog, int32 controlId) {
    id view = viewOf(dialog, controlId);
    if (!view) return kNoControl;
    const NSInteger state = send<NSInteger>(view, "state");
    if (state == NSControlStateValueOn) return kCheckBoxTicked;
    if (state == NSControlStateValueOff) return kCheckBoxUnticked;
    return static_cast<int32>(state);  // the mixed state, which the box never takes
}

int32 sliderPosition(DialogWindow dialog, int32 sliderId) {
    const MacControl* slider = sliderWithId(dialog, sliderId);
    if (!slider) return 0;
    // A dragged thumb sits between whole values.
    return roundToWhole(send<double>(slider->view, "doubleValue"));
}

void setSliderPosition(DialogWindow dialog, int32 sliderId, int32 position) {
    const MacControl* slider = sliderWithId(dialog, sliderId);
    if (!slider) return;
    // As on Windows, the position travels as a signed 16-bit number.
    send<void>(slider->view, "setDoubleValue:", CGFloat(static_cast<int16>(position)));
}

void setSliderRange(DialogWindow dialog, int32 sliderId, int32 minimum, int32 maximum) {
    MacControl* slider = sliderWithId(dialog, sliderId);
    if (!slider) return;
    slider->minimum = minimum;
    slider->maximum = maximum;
    send<void>(slider->view, "setMinValue:", CGFloat(minimum));
    send<void>(slider->view, "setMaxValue:", CGFloat(maximum));
}

int32 sliderMinimum(DialogWindow dialog, int32 sliderId) {
    const MacControl* slider = sliderWithId(dialog, sliderId);
    return slider ? slider->minimum : 0;
}

int32 sliderMaximum(DialogWindow dialog, int32 sliderId) {
    const MacControl* slider = sliderWithId(dialog, sliderId);
    return slider ? slider->maximum : 0;
}

bool sliderIsUpright(DialogWindow dialog, int32 sliderId) {
    const MacControl* slider = sliderWithId(dialog, sliderId);
    if (!slider) return false;
    return slider->frame.bottom - slider->frame.top > slider->frame.right - slider->frame.left;
}

uint32 sliderTag(DialogWindow dialog, int32 sliderId) {
    const MacControl* slider = sliderWithId(dialog, sliderId);
    return slider ? slider->tag : 0;
}

void setSliderTag(DialogWindow dialog, int32 sliderId, uint32 tag) {
    MacControl* slider = sliderWithId(dialog, sliderId);
    if (slider) slider->tag = tag;
}
