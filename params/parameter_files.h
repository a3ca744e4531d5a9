// *.prm files holding one file image: read into and written from currentParameters.
// The parameter dialog's Load... and Save... ask for the path (ui/file_dialogs.h).
#pragma once

#include "sdk/host_types.h"

// Paths are wide: a file may lie in a folder whose name the ANSI code page cannot
// spell (one named after the user). The file's content does not depend on it.
constexpr int kFileNameCapacity = 260;  // MAX_PATH: the longest path the dialogs give

// Loads the file at `path` into currentParameters. 0 also when the file is not a
// parameter file; else a system error code.
int32 loadParameterFileAt(const wchar_t* path);
// Writes currentParameters to `path`, the image named `ownName` (the file's own
// name, extension included). 0 or a system error code.
int32 saveParameterFileAt(const wchar_t* path, const wchar_t* ownName);
// Neither function shows a message: a failure is returned and the dialog stays as it was.
