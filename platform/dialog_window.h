// The modal parameter dialog's window: made by the platform (from the module's
// template on Windows), run modally over the host's window, and reporting what
// the user does through plain function pointers. What the module does about it
// lives in ui/parameter_dialog.cpp.
#pragma once

#include "sdk/filter_record.h"

// The open dialog as the platform knows it (a window handle on Windows); null
// for none. Valid from onInit until the dialog has ended.
struct DialogWindowRecord;
using DialogWindow = DialogWindowRecord*;

// What a control reported about itself.
enum class ControlNotification {
    clicked,        // a button or check box, Enter and Escape included
    doubleClicked,  // a check box clicked twice quickly
    textChanged,    // a field's text, typed or written by the module
    other,
};

struct DialogEvents {
    // Once, before the dialog shows; true when it has put the focus itself.
    bool (*onInit)(DialogWindow dialog, void* context);
    // True when the module has dealt with the command completely.
    bool (*onCommand)(DialogWindow dialog, int32 controlId, ControlNotification notification);
    // A slider's thumb was dragged or dropped: keys, clicks in the channel and
    // the wheel do not count. sliderId is kNoControl for a slider not in the dialog.
    void (*onSliderMoved)(DialogWindow dialog, int32 sliderId);
    // The dialog is being painted; drawingContext is what displayPixels draws into.
    void (*onPaint)(DialogWindow dialog, void* drawingContext);
};

constexpr int32 kNoControl = -1;

struct DialogOutcome {
    bool opened;    // false when the dialog could not be made
    int32 endCode;  // the code given to endDialog
    int32 error;    // the system's error code when it could not be made, else 0
};

// Runs the dialog until endDialog; the host window that platformData names (a
// FilterRecord's or AboutRecord's platformData) owns it, where it names a real one.
DialogOutcome runParameterDialogWindow(const void* platformData, const DialogEvents& events,
                                       void* context);
void endDialog(DialogWindow dialog, int32 endCode);
// The system's warning sound.
void warningBeep();

// Draws at once, outside the dialog's painting (during a slider drag): calls
// paint with a drawing context and the context given here.
using PaintProc = void (*)(DialogWindow dialog, void* drawingContext, void* context);
void paintDialogNow(DialogWindow dialog, PaintProc paint, void* context);
// Has the area (dialog coordinates) repainted at the next painting, not erased first.
void invalidateDialogArea(DialogWindow dialog, const Rect& area);
// A one-pixel black outline just inside the area.
void outlineArea(void* drawingContext, const Rect& area);
