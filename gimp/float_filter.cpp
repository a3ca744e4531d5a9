#include "gimp/float_filter.h"

#include <memory>
#include <new>

#include "engine/continuous_effect.h"
#include "engine/effect_engine.h"

namespace {

// Rows per strip: tall enough that the margins read again for every strip (96
// above, 97 below) cost less than the strip itself.
constexpr int32 kFloatStripHeight = 256;

struct FloatRun {
    GeglBuffer* source;
    GeglBuffer* target;
    const Babl* format;
    int32 values;  // a pixel: 3, or 4 with alpha
    ContinuousEffect effect;
};

// The margins around `strip`, clipped to the layer.
GeglRectangle reachOf(const GeglRectangle& strip, gint32 drawable) {
    GeglRectangle layer = {0, 0, gimp_drawable_width(drawable), gimp_drawable_height(drawable)};
    GeglRectangle grown = {strip.x - kMarginBefore, strip.y - kMarginBefore,
                           strip.width + kMarginBefore + kMarginAfter,
                           strip.height + kMarginBefore + kMarginAfter};
    GeglRectangle reach;
    gegl_rectangle_intersect(&reach, &grown, &layer);
    return reach;
}

FloatBlock blockOf(float* data, const GeglRectangle& rect, int32 values) {
    return FloatBlock{data, ptrdiff_t(rect.width) * values, values, rect.y, rect.x,
                      rect.y + rect.height, rect.x + rect.width};
}

// One strip: its reach read, the strip itself read too (its alpha stays), filtered.
bool filterStrip(const FloatRun& run, gint32 drawable, const GeglRectangle& strip, float* in,
                 float* out, void* work, size_t workBytes) {
    GeglRectangle reach = reachOf(strip, drawable);
    gegl_buffer_get(run.source, &reach, 1.0, run.format, in, GEGL_AUTO_ROWSTRIDE,
                    GEGL_ABYSS_NONE);
    gegl_buffer_get(run.source, &strip, 1.0, run.format, out, GEGL_AUTO_ROWSTRIDE,
                    GEGL_ABYSS_NONE);
    if (!filterFloatPixels(run.effect, work, workBytes, blockOf(in, reach, run.values),
                           blockOf(out, strip, run.values))) {
        return false;
    }
    gegl_buffer_set(run.target, &strip, 0, run.format, out, GEGL_AUTO_ROWSTRIDE);
    return true;
}

}  // namespace

const char* filterDrawableInFloat(gint32 drawable, const EffectValues& values,
                                  const PixelArea& target) {
    FloatRun run;
    const Babl* space = babl_format_get_space(gimp_drawable_get_format(drawable));
    const bool alpha = gimp_drawable_has_alpha(drawable);
    run.format = babl_format_with_space(alpha ? "R'G'B'A float" : "R'G'B' float", space);
    run.values = alpha ? 4 : 3;
    prepareContinuousEffect(&run.effect, values.radiation, values.amount, values.mist);

    const int32 stripRows = target.height < kFloatStripHeight ? target.height : kFloatStripHeight;
    const size_t reachPixels = size_t(target.width + kMarginBefore + kMarginAfter) *
                               size_t(stripRows + kMarginBefore + kMarginAfter);
    const size_t workBytes = continuousWorkBytes(target.width);
    std::unique_ptr<float[]> in(new (std::nothrow) float[reachPixels * run.values]);
    std::unique_ptr<float[]> out(new (std::nothrow) float[size_t(target.width) * stripRows *
                                                          run.values]);
    std::unique_ptr<int64_t[]> work(new (std::nothrow) int64_t[workBytes / sizeof(int64_t)]);
    if (!in || !out || !work) return "Lumiveil ran out of memory.";

    run.source = gimp_drawable_get_buffer(drawable);
    run.target = gimp_drawable_get_shadow_buffer(drawable);
    const char* failure = nullptr;
    for (int32 done = 0; done < target.height && failure == nullptr; done += stripRows) {
        int32 rows = target.height - done < stripRows ? target.height - done : stripRows;
        GeglRectangle strip = {target.left, target.top + done, target.width, rows};
        if (!filterStrip(run, drawable, strip, in.get(), out.get(), work.get(), workBytes)) {
            failure = "Lumiveil could not filter this layer.";
        }
        gimp_progress_update(double(done + rows) / double(target.height));
    }
    gegl_buffer_flush(run.target);
    g_object_unref(run.target);
    g_object_unref(run.source);
    return failure;
}
