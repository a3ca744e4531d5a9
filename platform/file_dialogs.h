// The system's dialogs that ask for a parameter file (*.prm) to load or a name
// to save one under, owned by the dialog that is open.
#pragma once

#include "platform/files.h"
#include "sdk/host_types.h"

// The chosen path into `path` (capacity units). 0 with *chosen true; 0 with
// *chosen false when the user cancelled; else the system's error code (a path
// too long for the buffer, say), *chosen false.
int32 askForFileToLoad(PathUnit* path, int32 capacity, bool* chosen);
// The same for Save..., which also gives where the file's own name (extension
// included) starts within the path; the user has agreed to replace an existing file.
int32 askForFileToSave(PathUnit* path, int32 capacity, bool* chosen, int32* nameOffset);
