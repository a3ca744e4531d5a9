// The host's side of dialog scripting (--do "STEP; STEP", --script FILE): the
// steps are parsed and armed right before the selector that may show a
// dialog, and disarmed when it returns. Scripting comes from
// plughost/dialog/dialog_script.cpp; a build without it refuses these options.
#pragma once

#include <string>

#include "plughost/cli/host_options.h"

// The steps of --do or the text of --script FILE, empty when neither is given.
// False when the file cannot be read or scripting is not built in.
bool loadDialogSteps(const HostOptions& options, std::string* steps, std::string* error);

// Parses and arms `steps` (nothing to do when empty). False on bad syntax.
bool armDialogSteps(const std::string& steps, int timeoutMs, std::string* error);

// After the selector: false when a step failed or steps remain. Frees the script.
bool disarmDialogSteps(std::string* error);
