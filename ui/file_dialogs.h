// Load... and Save... of the parameter dialog: the system's file dialogs
// (platform/file_dialogs.h), then the parameter files themselves (params/parameter_files.h).
#pragma once

#include "sdk/host_types.h"

// Asks for a file and loads it into currentParameters. 0 also when the user
// cancels or the file is not a parameter file; else a system error code, or the
// file dialog's own error code when the dialog failed.
int32 loadParameterFile();
// Asks for a file name and writes currentParameters there, named after the file.
// 0 when the user cancels; errors as for loadParameterFile.
int32 saveParameterFile();
