// The settings the user last confirmed, kept in one file under the Windows
// directory: <Windows>\quietharborstudio\PS Filters\Lumiveil, one file image.
#pragma once

#include <windows.h>

#include "params/parameter_set.h"
#include "params/settings_path.h"

// The folder part, ending in a backslash; creates the two folders on the way.
// 0, or fnfErr when there is no Windows directory.
int32 settingsFolderPath(uint8* path);
// 0 and an open file (created empty if missing), or an error code.
int32 openLastUsedSettingsFile(HANDLE& file);
// Replaces the block's stamp and parameter set with an accepted file image.
int32 readLastUsedSettings(ParameterBlock& block);
// Writes the block's first 300 bytes of file image; a longer file keeps its tail.
int32 writeLastUsedSettings(const ParameterBlock& block);
