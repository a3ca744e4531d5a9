// The host-capability checks and the one message box the module ever shows.
#pragma once

#include "sdk/filter_record.h"

// Shows the error box with the given string-table text and the caption "Lumiveil Plugin filter".
void showHostError(unsigned stringId);
// True when the host offers advanceState; otherwise shows the error box.
bool requireAdvanceState(AdvanceStateProc advanceState);
// True when the host offers displayPixels; otherwise shows the error box with string 16999.
bool requireDisplayPixels(DisplayPixelsProc displayPixels);
