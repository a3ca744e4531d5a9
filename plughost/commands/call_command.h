// The call command: the entry point called once with any selector and a record
// filled as for a run, reporting the result and every byte the call changed.
#pragma once

#include "plughost/cli/host_options.h"

// Returns the process exit status (cli/host_exit.h).
int callCommand(const HostOptions& options);
