// The settings the user last confirmed, kept in one file per filter:
// <Windows>\quietharborstudio\PS Filters\Lumiveil, one file image. Where the
// Windows directory is closed to the user (since Vista an ordinary user may not
// create folders or files there), the same relative path under the user's
// application-data folder holds it instead.
#pragma once

#include <windows.h>

#include "params/parameter_set.h"
#include "params/settings_path.h"

// The folder part under the Windows directory, ending in a backslash; creates
// the two folders on the way. 0, or fnfErr when there is no Windows directory.
int32 settingsFolderPath(uint8* path);
// 0 and an open file (created empty if missing), or an error code. Opens the
// file under the Windows directory, or the one under the application-data
// folder when the first cannot be opened because its place is closed.
int32 openLastUsedSettingsFile(HANDLE& file);
// Replaces the block's stamp and parameter set with an accepted file image.
int32 readLastUsedSettings(ParameterBlock& block);
// Writes the block's first 300 bytes of file image; a longer file keeps its tail.
int32 writeLastUsedSettings(const ParameterBlock& block);
// Failures here are returned, never shown: a missing folder, a file held open by
// another host process or a read error simply leave things as they were.
