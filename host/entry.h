// The module's one export.
#pragma once

#include "sdk/filter_record.h"

extern "C" void ENTRYPOINT(int16 selector, void* record, intptr_t* data, int16* result);
