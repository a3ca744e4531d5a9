// How plughost ends: its exit statuses, and the one way to stop a run at once
// when the module broke something, crashed or hung.
#pragma once

#include <string>

// Exit statuses (Wine passes on the low 8 bits).
constexpr int kExitSuccess = 0;         // every selector returned 0
constexpr int kExitSelectorFailed = 1;  // a selector returned non-zero, or a dialog script failed
constexpr int kExitHostError = 2;       // bad command line, unreadable module or image
constexpr int kExitCrash = 3;           // an unhandled exception, e.g. an access violation
constexpr int kExitViolation = 4;       // the module wrote outside a buffer, into its input...
constexpr int kExitTimeout = 5;         // a selector did not return in time

// Writes `line` ("fault: ...", "crash: ...") to stdout and to the trace (with
// the prefix word and no colon), then ends the process with `status` without
// running any more of the module's code. Safe to call from an exception handler
// or another thread.
[[noreturn]] void endRunNow(int status, const std::string& line);

// Prints "plughost: MESSAGE" on stderr (once: a terminal shows both streams) and
// returns kExitHostError.
int reportHostError(const std::string& message);

// Prints "plughost: MESSAGE" on stderr at once, for a failure that does not end
// the command (a missing string among several).
void sayFailure(const std::string& message);
// Keeps the first reason why a command is going to fail ("selector start returned
// -108", "dialog: ..."); later ones are dropped, since the first usually causes them.
void noteFailure(const std::string& reason);
// A reason that explains the failures noted before it: a failed dialog step
// cancels the dialog, so the selector's "cancelled" comes first but is not the cause.
void noteCause(const std::string& reason);
// Every non-zero exit says why on stderr, once: for a status that nothing has
// explained there yet, prints the noted reason (or the status alone when none
// was noted). Returns the status.
int explainExit(int status);

// Writes text straight to stdout (unbuffered), for use where stdio may be busy.
void writeStdout(const std::string& text);
