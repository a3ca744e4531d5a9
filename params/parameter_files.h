// *.prm files holding one file image: read into and written from currentParameters.
// The parameter dialog's Load... and Save... ask for the path (ui/file_dialogs.h).
#pragma once

#include "platform/files.h"
#include "sdk/host_types.h"

// Paths are the platform's (wide on Windows: a file may lie in a folder whose name
// the ANSI code page cannot spell). The file's content does not depend on it.
constexpr int kFileNameCapacity =
    260;  // path units: Windows' MAX_PATH, the longest the dialogs give

// Loads the file at `path` into currentParameters. 0 also when the file is not a
// parameter file; else a system error code.
int32 loadParameterFileAt(const PathUnit* path);
// Writes currentParameters to `path`, the image named `ownName` (the file's own
// name, extension included). 0 or a system error code.
int32 saveParameterFileAt(const PathUnit* path, const PathUnit* ownName);
// Neither function shows a message: a failure is returned and the dialog stays as it was.
