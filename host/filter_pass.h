// The filtering pass: what Start does, and the strip loop that Continue runs.
#pragma once

#include "host/strip_height.h"
#include "sdk/filter_record.h"

// The Start selector: settings, work buffer, dialog, then every strip of filterRect.
int32 startFilter(FilterRecord* record);
// The strip loop (also the Continue selector): 0, the abort answer, or advanceState's error.
int32 filterStrips(FilterRecord* record);
int32 allocateWorkBuffer(FilterRecord* record);  // 0, memFullErr or nilHandleErr
void releaseWorkBuffer(FilterRecord* record);
// 0 when the user confirmed the dialog, else the result Start returns.
int32 runParameterDialog(FilterRecord* record);
