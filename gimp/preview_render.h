// The dialog's live preview: the part of the drawable that GIMP's drawable
// preview shows, filtered at full size exactly as a run filters it there.
#pragma once

#include <libgimp/gimp.h>
#include <libgimp/gimpui.h>

#include "gimp/effect_values.h"

// Handler of the preview's "invalidated" signal; values is the dialog's EffectValues.
void renderPreview(GimpPreview* preview, const EffectValues* values);
