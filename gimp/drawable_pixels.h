// Reading a drawable as 8-bit perceptual RGB(A) rows for the engine, and writing
// the results into its shadow buffer, through GEGL. At GIMP's 8-bit perceptual
// precision both directions copy bytes unchanged; the preview reads other
// precisions as 8-bit perceptual values too, while filtering them takes the float
// path (float_filter.h), which writes nothing through here.
#pragma once

#include <libgimp/gimp.h>

#include "engine/region_walk.h"

struct DrawablePixels {
    GeglBuffer* source;       // the drawable as it is; read only
    GeglBuffer* target;       // its shadow buffer (or null for a preview)
    const Babl* workFormat;   // R'G'B' u8 or R'G'B'A u8 in the drawable's colour space
    int32 planes;             // 3, or 4 with alpha
};

// Opens the drawable's buffers; false (nothing held) when memory runs out.
// withTarget: also its shadow buffer, for a run that changes the drawable.
bool openDrawablePixels(gint32 drawable, bool withTarget, DrawablePixels* pixels);
// Releases what openDrawablePixels took; the shadow buffer is flushed first.
void closeDrawablePixels(DrawablePixels* pixels);

// RegionJob callbacks; the context is a DrawablePixels.
bool readDrawableArea(void* context, const PixelArea& area, PixelRows rows);
bool writeDrawableStrip(void* context, const PixelArea& strip, PixelRows rows);
