// The three effect settings (Radiation, Amount, Mist), the tail of the module's
// working parameter set, and the show-dialog flag at its head; and the module's
// effect prepared from them.
#pragma once

#include "sdk/filter_record.h"

// low if value < low, else high if value > high, else value (low tested first).
int32 clampInt(int32 value, int32 low, int32 high);

int32 getRadiation();                       // setting 0, no index check
int32 getSetting(int32 index);              // 0 for an index outside 0..2
void setSetting(int32 index, int32 value);  // stored unchanged; other indices change nothing
int32 getShowDialogFlag();
void setShowDialogFlag(int32 value);

// Prepares the module's effect (strips/module_effect.h) with the working settings
// and the record's inputRate (1.0 without a record); always 0.
int32 prepareEffect(const FilterRecord* record);
