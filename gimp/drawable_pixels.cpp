#include "gimp/drawable_pixels.h"

namespace {

constexpr int32 kRgbPlanes = 3;
constexpr int32 kRgbaPlanes = 4;

GeglRectangle geglRect(const PixelArea& area) {
    return GeglRectangle{area.left, area.top, area.width, area.height};
}

}  // namespace

bool openDrawablePixels(gint32 drawable, bool withTarget, DrawablePixels* pixels) {
    const Babl* space = babl_format_get_space(gimp_drawable_get_format(drawable));
    const bool alpha = gimp_drawable_has_alpha(drawable);
    pixels->planes = alpha ? kRgbaPlanes : kRgbPlanes;
    pixels->workFormat = babl_format_with_space(alpha ? "R'G'B'A u8" : "R'G'B' u8", space);
    pixels->source = gimp_drawable_get_buffer(drawable);
    pixels->target = withTarget ? gimp_drawable_get_shadow_buffer(drawable) : nullptr;
    return true;
}

void closeDrawablePixels(DrawablePixels* pixels) {
    if (pixels->target != nullptr) {
        gegl_buffer_flush(pixels->target);
        g_object_unref(pixels->target);
    }
    g_object_unref(pixels->source);
    pixels->target = pixels->source = nullptr;
}

bool readDrawableArea(void* context, const PixelArea& area, PixelRows rows) {
    auto* pixels = static_cast<DrawablePixels*>(context);
    GeglRectangle rect = geglRect(area);
    gegl_buffer_get(pixels->source, &rect, 1.0, pixels->workFormat, rows.data, rows.rowBytes,
                    GEGL_ABYSS_NONE);
    return true;
}

bool writeDrawableStrip(void* context, const PixelArea& strip, PixelRows rows) {
    auto* pixels = static_cast<DrawablePixels*>(context);
    GeglRectangle rect = geglRect(strip);
    gegl_buffer_set(pixels->target, &rect, 0, pixels->workFormat, rows.data, rows.rowBytes);
    return true;
}
