// Hosts that keep no parameters handle between runs (some pass null to every
// Start that has no Parameters call before it). For them the last-used settings
// file stands in for the block: a repeat takes the last confirmed settings, and a
// confirmed dialog still lands in the file. The 'MFI1' host, which is known to
// lose its block after every Start, keeps its refusal (nilHandleErr).
#pragma once

#include "sdk/filter_record.h"

// True when Start finds no block and the host is not 'MFI1'.
bool hostKeptNoBlock(const FilterRecord* record);
// currentParameters from the last-used settings file (the defaults when it has
// none), showDialog included: 0 after a confirmed dialog, so a repeat filters at
// once; 1 when nothing was ever confirmed, so the dialog opens. Always noErr.
int32 loadLastConfirmedSettings();
// currentParameters into the last-used settings file; 0 or the file's error.
int32 storeLastConfirmedSettings();
