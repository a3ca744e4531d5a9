// The parameter dialog on the Mac, until it has a window of its own: it is
// confirmed at once, as though OK were pressed with nothing changed, so a run
// from the menu filters with the settings it starts from (the host's block, the
// last-used settings file or the defaults) and stores them as a confirmed
// dialog does. No event of the dialog's is ever called.

#include "platform/dialog_window.h"

#include "resources/resource_ids.h"

DialogOutcome runParameterDialogWindow(const void* /*platformData: a dummy on the Mac*/,
                                       const DialogEvents& /*events*/, void* /*context*/) {
    return DialogOutcome{true, IDC_OK, 0};
}

// Nothing below is reached while no dialog opens; each does nothing.
void endDialog(DialogWindow /*dialog*/, int32 /*endCode*/) {}

void warningBeep() {}

void paintDialogNow(DialogWindow /*dialog*/, PaintProc /*paint*/, void* /*context*/) {}

void invalidateDialogArea(DialogWindow /*dialog*/, const Rect& /*area*/) {}

void outlineArea(void* /*drawingContext*/, const Rect& /*area*/) {}
