// Which input rectangle to ask the host for. Hosts that pad get the full margins
// the kernel needs; hosts that do not pad are only ever asked for pixels inside
// the image, and the kernel replicates the edges itself.
#pragma once

#include "sdk/filter_record.h"

// The image in the host's coordinates at a whole sampling factor (1 at full
// size); a sampled image holds every n-th pixel, so its size rounds up.
Rect imageBoundsAtFactor(const FilterRecord* record, int32 factor);
// inRect from outRect with the kernel's margins; clipped to the image (at the
// given factor) when the host does not support padding.
void requestInputAround(FilterRecord* record, int32 factor);
// The same for one strip of the pass, at full size.
void requestStripInput(FilterRecord* record);
