// Defaults, clamping and copies of the parameter set. Windows-free.
#pragma once

#include "params/parameter_set.h"

// The six header words of a new block and the default parameter set.
void fillDefaultBlock(ParameterBlock& block);
// Puts the defaults (showDialog 1, "Untitled parameters", 50, 50, 0) into currentParameters().
void resetCurrentParameters();
// Limits each of the three settings to 0..100.
void clampSettings(ParameterSet& set);
// showDialog, the name as its length byte and n characters, and the three settings.
void copyParameterSet(const ParameterSet& from, ParameterSet& to);
