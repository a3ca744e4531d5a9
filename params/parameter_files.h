// *.prm files holding one file image: read into and written from currentParameters.
// The parameter dialog's Load... and Save... ask for the path (ui/file_dialogs.h).
#pragma once

#include "sdk/host_types.h"

// Loads the file at `path` into currentParameters. 0 also when the file is not a
// parameter file; else a system error code.
int32 loadParameterFileAt(const char* path);
// Writes currentParameters to `path`, the image named `ownName` (the file's own
// name, extension included). 0 or a system error code.
int32 saveParameterFileAt(const char* path, const char* ownName);
// Neither function shows a message: a failure is returned and the dialog stays as it was.
