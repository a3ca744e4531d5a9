// Defaults, clamping and copies of the parameter set, and the test that the
// bytes in the host's parameters handle are one of our blocks. Windows-free.
#pragma once

#include "params/parameter_set.h"

// The size of a host handle the module did not ask the host about.
constexpr int32 kBlockSizeUnknown = -1;

// The six header words of a new block ('Lmvl', 'Prms', 3, 'std ', 100, 1684) and
// the default parameter set. The reserved bytes are left as they are.
void fillDefaultBlock(ParameterBlock& block);
// showDialog 1, "Untitled parameters", 50, 50, 0; the rest of the name buffer zero.
void fillDefaultSet(ParameterSet& set);
// Puts the defaults (showDialog 1, "Untitled parameters", 50, 50, 0) into currentParameters().
void resetCurrentParameters();
// Limits each of the three settings to 0..100.
void clampSettings(ParameterSet& set);
// showDialog, the name as its length byte and n characters, and the three settings.
// Name bytes of `to` past the copied characters keep what they held.
void copyParameterSet(const ParameterSet& from, ParameterSet& to);

// True when the bytes of a parameters handle hold a block of ours: not null, at
// least 300 bytes when the size is known (size >= 0; kBlockSizeUnknown when the
// host was not asked), and the native signature word 'Lmvl'. Only then may the
// bytes be read as a ParameterBlock.
bool blockIsOurs(const void* bytes, int32 size);
