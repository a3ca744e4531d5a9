// The about command: call the module's About selector with the host window as owner.
#pragma once

#include "plughost/cli/host_options.h"

// Returns the process exit status (cli/host_exit.h).
int aboutCommand(const HostOptions& options);
