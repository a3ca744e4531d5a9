// The run command: load the module, set up the host's window and record, call
// the selectors in the order the interface prescribes, and report every
// result. Returns the process exit status (host_exit.h).
#pragma once

#include "plughost/host_options.h"

int runFilterCommand(const HostOptions& options);
