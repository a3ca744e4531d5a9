// A progress bar on standard error for long runs, fed by the module's own
// progress calls, and a line per finished picture. tools/plughost asks for it
// (--show-progress) only when standard error is a terminal.
#pragma once

#include <string>

#include "sdk/host_types.h"

// Turns the bar on or off for the pictures that follow.
void enableProgressBar(bool enabled);
// The picture the next progress calls belong to.
void startProgressBar(const std::string& label);
// done of total, from the module's progressProc; redraws only when the bar changes.
void showProgress(int32 done, int32 total);
// Replaces the bar with `line` (nothing when the bar is off).
void endProgressBar(const std::string& line);
