// What the Mac side knows of the open parameter dialog: its window, the view
// the module paints into and each control's view and frame. Shared by the
// window (dialog_window.cpp) and the control operations (dialog_controls.cpp).
#pragma once

#include "platform/dialog_window.h"
#include "platform/mac/dialog_layout.h"
#include "platform/mac/objc_runtime.h"

struct MacControl {
    int32 controlId;  // kNoControl for the labels and the band
    MacControlKind kind;
    id view;     // owned by the window's view tree; null for the preview frame
    Rect frame;  // points, in the content view's flipped coordinates
    uint32 tag;  // sliders: the module's tag
    int32 minimum;
    int32 maximum;
};

constexpr int32 kMaxDialogControls = 24;

struct DialogWindowRecord {
    id window;       // owned: released when the dialog ends
    id contentView;  // flipped (top left origin); its drawing calls onPaint
    id target;       // owned: receives every control's action and the fields' changes
    MacControl controls[kMaxDialogControls];
    int32 controlCount;
    const DialogEvents* events;
    // Set only while paintDialogNow draws: the drawing goes to it instead of onPaint.
    PaintProc paintNow;
    void* paintNowContext;
};

// The control with the id, or null (also for kNoControl and a null dialog).
MacControl* controlWithId(DialogWindow dialog, int32 controlId);
// The control whose view this is, or null.
MacControl* controlWithView(DialogWindow dialog, id view);
