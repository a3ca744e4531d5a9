// How many output rows the pass may hand a host in one request. Hosts that
// write back every output rectangle get strips of kStripHeight rows; GIMP's
// .8bf bridge (signature 'PMIG') keeps only the last rectangle it was given, so
// there the whole filterRect goes in one rectangle, or the run is refused with
// the module's message when that one request would not fit the host's maxSpace.
#pragma once

#include "sdk/filter_record.h"

// Output rows per request for this host: kStripHeight, or the whole height of
// filterRect for a host that keeps only the last output rectangle.
int32 outputRowsPerRequest(const FilterRecord* record);
// False, after the error box with the "incompatible host" string, when the host
// keeps only the last output rectangle and the whole filterRect in one request
// (input with its margins and output) exceeds maxSpace.
bool requireOutputInOneRequest(const FilterRecord* record);
