// The settings the user last confirmed, kept in one file per filter, one file
// image, at the platform's place for it (platform/settings_file.h).
#pragma once

#include "params/parameter_set.h"

// Replaces the block's stamp and parameter set with an accepted file image.
int32 readLastUsedSettings(ParameterBlock& block);
// Writes the block's first 300 bytes of file image; a longer file keeps its tail.
int32 writeLastUsedSettings(const ParameterBlock& block);
// Failures here are returned, never shown: a missing folder, a file held open by
// another host process or a read error simply leave things as they were.
