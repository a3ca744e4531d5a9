// Where the last-used settings file lives: the platform's place for a small
// settings file the user does not see (on Windows the Windows directory, or the
// user's application-data folder where that is closed to the user), under
// quietharborstudio, PS Filters, the filter's name.
#pragma once

#include "platform/files.h"
#include "sdk/host_types.h"

// Opens the file for reading and writing, shared with no one, made empty (with
// the folders on the way) when missing: 0 and the file, or an error code.
int32 openLastUsedSettingsFile(PlatformFile* file);
