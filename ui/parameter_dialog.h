// The modal parameter dialog: three slider/field pairs, a live preview, Load... and Save...
#pragma once

#include "sdk/filter_record.h"

// 0 when closed with OK, 1 when cancelled, the system error code when it cannot open.
int32 showParameterDialog(FilterRecord* record);
