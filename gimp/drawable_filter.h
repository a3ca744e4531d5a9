// One run of the effect on a drawable: its selected part (the whole drawable when
// nothing is selected), strip by strip with progress, through the shadow buffer,
// so that GIMP blends partial selections and records one undo step.
#pragma once

#include <libgimp/gimp.h>

#include "gimp/effect_values.h"

// Why the filter cannot run on a drawable, for the user; null when it can.
const char* drawableRefusal(gint32 drawable);

// Filters the drawable; null on success, otherwise what went wrong (the drawable
// is then unchanged).
const char* filterDrawable(gint32 drawable, const EffectValues& values);
