// Relocatable memory handles: the host's handle procs when it offers a usable
// set, otherwise the module's own (platform/fallback_handles.h). A handle always
// goes back to the mechanism that made it.
#pragma once

#include "sdk/filter_record.h"

// Version exactly 1, at least six procs, all six non-null.
bool hostHandlesUsable(const FilterRecord* record);
Handle newHandle(const FilterRecord* record, int32 size);       // null when memory runs out
void disposeHandle(const FilterRecord* record, Handle handle);  // null ignored
Ptr lockHandle(const FilterRecord* record, Handle handle, Boolean moveHigh);  // null on failure
void unlockHandle(const FilterRecord* record, Handle handle);                 // null ignored

// The handle's size in bytes as far as it can be known: the host's answer (0 when
// the host cannot tell), or the size of a fallback handle's data block.
int32 handleSize(const FilterRecord* record, Handle handle);
