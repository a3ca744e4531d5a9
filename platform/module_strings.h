// The module's string table (resources/strings.rc on Windows), by string id.
#pragma once

#include "sdk/host_types.h"

// Copies the string into text (zero-terminated, cut to capacity - 1 characters)
// and returns its length; 0 when the module has no such string.
int32 loadModuleString(uint32 stringId, char* text, int32 capacity);
