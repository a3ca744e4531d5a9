#include "gimp/drawable_pixels.h"

#include <new>

namespace {

constexpr int32 kRgbPlanes = 3;
constexpr int32 kRgbaPlanes = 4;
constexpr float kChannelMaxFloat = 255.0f;

GeglRectangle geglRect(const PixelArea& area) {
    return GeglRectangle{area.left, area.top, area.width, area.height};
}

// babl's own 8-bit perceptual encoding: the bytes GIMP holds at that precision.
bool storesEightBitPerceptual(gint32 drawable) {
    gint32 image = gimp_item_get_image(drawable);
    return gimp_image_get_precision(image) == GIMP_PRECISION_U8_GAMMA;
}

}  // namespace

bool openDrawablePixels(gint32 drawable, bool withTarget, DrawablePixels* pixels) {
    const Babl* space = babl_format_get_space(gimp_drawable_get_format(drawable));
    const bool alpha = gimp_drawable_has_alpha(drawable);
    pixels->planes = alpha ? kRgbaPlanes : kRgbPlanes;
    pixels->workFormat = babl_format_with_space(alpha ? "R'G'B'A u8" : "R'G'B' u8", space);
    pixels->alphaFormat = nullptr;
    pixels->alphaRows = nullptr;
    if (alpha && withTarget && !storesEightBitPerceptual(drawable)) {
        pixels->alphaFormat = babl_format_with_space("R'G'B'A float", space);
        size_t values = size_t(kRegionStripHeight) * gimp_drawable_width(drawable) * kRgbaPlanes;
        pixels->alphaRows = new (std::nothrow) float[values];
        if (pixels->alphaRows == nullptr) return false;
    }
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
    delete[] pixels->alphaRows;
    pixels->target = pixels->source = nullptr;
    pixels->alphaRows = nullptr;
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
    if (pixels->alphaFormat == nullptr) {
        gegl_buffer_set(pixels->target, &rect, 0, pixels->workFormat, rows.data, rows.rowBytes);
        return true;
    }
    // Finer precisions: the new colour as 8-bit values, the alpha as it was read.
    const int32 floatRowBytes = strip.width * kRgbaPlanes * int32(sizeof(float));
    gegl_buffer_get(pixels->source, &rect, 1.0, pixels->alphaFormat, pixels->alphaRows,
                    floatRowBytes, GEGL_ABYSS_NONE);
    for (int32 y = 0; y < strip.height; ++y) {
        const uint8* from = rows.data + size_t(y) * rows.rowBytes;
        float* to = pixels->alphaRows + size_t(y) * strip.width * kRgbaPlanes;
        for (int32 x = 0; x < strip.width; ++x) {
            for (int32 channel = 0; channel < kRgbPlanes; ++channel) {
                to[x * kRgbaPlanes + channel] = from[x * kRgbaPlanes + channel] / kChannelMaxFloat;
            }
        }
    }
    gegl_buffer_set(pixels->target, &rect, 0, pixels->alphaFormat, pixels->alphaRows,
                    floatRowBytes);
    return true;
}
