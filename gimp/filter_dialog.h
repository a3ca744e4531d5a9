// The plug-in's dialog: three sliders with numeric entries, GIMP's drawable
// preview with its toggle, Reset, and Load.../Save... of .prm files.
#pragma once

#include <libgimp/gimp.h>

#include "gimp/effect_values.h"

// Shows the dialog starting from *values; true and the chosen values after OK,
// false with *values untouched after Cancel or closing the window.
bool runFilterDialog(gint32 drawable, EffectValues* values);
