// Dialog scripts: act on the module's modal dialogs as a user would, from a list of
// steps such as "type 201 150; click 1; expect-field 201 100".
//
// The steps run on the host thread while the module sits in its modal message loop
// inside a selector call: arming starts a thread timer whose callback runs inside any
// modal loop of the thread, finds the dialog and carries out one step at a time, with a
// short pause between steps so that paints and notifications are processed as for a
// user. Steps are separated by ';' or new lines; a line starting with '#' is a comment.
// The step kinds are listed in dialog_steps.h.
//
// A failed step (a failed expectation, a missing control, a dialog that does not
// appear within the timeout) stops the script and cancels the dialogs still open, so
// that the selector returns and the failure can be reported.
#pragma once

struct DialogScript;  // opaque

// Null, with a message naming the step, when the text is not a valid script.
DialogScript* parseDialogScript(const char* text, char* error, int errorSize);

// On the host thread, right before the selector call that may open a dialog.
// timeoutMs is the host's watchdog time for that call (0 or less: 10 seconds). The
// script's own waits (for a dialog to appear, for a file dialog to appear or to take a
// name) give up at half of it, so that the failure is reported and the open dialogs are
// cancelled before the watchdog ends the run. Only one script is armed at a time.
void armDialogScript(DialogScript* script, int timeoutMs);

// After the selector returns. False, with a message naming the step, when a step
// failed or steps were left unexecuted.
bool disarmDialogScript(DialogScript* script, char* error, int errorSize);

void freeDialogScript(DialogScript* script);
