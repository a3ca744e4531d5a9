// The effect on a drawable finer than 8-bit perceptual: its values read as
// perceptual floats in its own colour space, filtered by the effect's continuous
// counterpart and written back through the shadow buffer at the drawable's own
// precision, so nothing is rounded to 8 bits. Alpha goes back as it was read.
#pragma once

#include <libgimp/gimp.h>

#include "engine/region_walk.h"
#include "gimp/effect_values.h"

// Filters `target` (inside the drawable), strip by strip with progress, reading
// the layer's own pixels around it and its edge repeated beyond. Null on success,
// otherwise what went wrong for the user (the shadow buffer is then not merged).
const char* filterDrawableInFloat(gint32 drawable, const EffectValues& values,
                                  const PixelArea& target);
