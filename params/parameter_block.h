// The parameter block in the host's parameters handle: created or checked by the
// Parameters selector, read at Start, written back after the dialog's OK.
#pragma once

#include "sdk/filter_record.h"

// The Parameters selector: 0, memFullErr, nilHandleErr or kBlockNotOurs. Never shows anything.
int32 prepareParameterBlock(FilterRecord* record);
// Start's first step: the block's settings (or, with Alt held, the defaults) into currentParameters.
int32 loadParametersForStart(FilterRecord* record);
// After OK: currentParameters into the block and the last-used settings file.
int32 storeParametersAfterDialog(FilterRecord* record);
// True while the Alt key is down.
bool resetKeyDown();
