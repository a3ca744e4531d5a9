#include "gimp/drawable_filter.h"

#include "engine/region_walk.h"
#include "gimp/drawable_pixels.h"
#include "gimp/float_filter.h"

namespace {

constexpr char kProgressText[] = "Lumiveil";

bool reportStripProgress(void*, int32 rowsDone, int32 rowsTotal) {
    gimp_progress_update(double(rowsDone) / double(rowsTotal));
    return true;
}

}  // namespace

const char* drawableRefusal(gint32 drawable) {
    if (!gimp_item_is_drawable(drawable)) return "Lumiveil needs a drawable.";
    if (!gimp_drawable_is_rgb(drawable)) {
        return "Lumiveil works on RGB layers only; this one is grayscale or indexed.";
    }
    return nullptr;
}

const char* filterDrawable(gint32 drawable, const EffectValues& values) {
    const char* refusal = drawableRefusal(drawable);
    if (refusal != nullptr) return refusal;

    RegionJob job;
    job.radiation = values.radiation;
    job.amount = values.amount;
    job.mist = values.mist;
    job.layerWidth = gimp_drawable_width(drawable);
    job.layerHeight = gimp_drawable_height(drawable);
    if (!gimp_drawable_mask_intersect(drawable, &job.target.left, &job.target.top,
                                      &job.target.width, &job.target.height)) {
        return nullptr;  // the selection misses this drawable: nothing to do
    }
    // Finer precisions keep every bit: the float path; 8-bit perceptual layers
    // give the module's bytes.
    if (gimp_image_get_precision(gimp_item_get_image(drawable)) != GIMP_PRECISION_U8_GAMMA) {
        gimp_progress_init(kProgressText);
        const char* failure = filterDrawableInFloat(drawable, values, job.target);
        if (failure != nullptr) return failure;
        gimp_drawable_merge_shadow(drawable, TRUE);
        gimp_drawable_update(drawable, job.target.left, job.target.top, job.target.width,
                             job.target.height);
        return nullptr;
    }
    DrawablePixels pixels;
    if (!openDrawablePixels(drawable, true, &pixels)) return "Lumiveil ran out of memory.";
    job.planes = pixels.planes;
    job.context = &pixels;
    job.read = readDrawableArea;
    job.write = writeDrawableStrip;
    job.report = reportStripProgress;

    gimp_progress_init(kProgressText);
    RegionResult result = filterRegion(job);
    closeDrawablePixels(&pixels);

    switch (result) {
        case RegionResult::done:
            gimp_drawable_merge_shadow(drawable, TRUE);
            gimp_drawable_update(drawable, job.target.left, job.target.top, job.target.width,
                                 job.target.height);
            return nullptr;
        case RegionResult::tooLarge:
            return "Lumiveil cannot filter an area this large at once; select a smaller part.";
        case RegionResult::outOfMemory:
            return "Lumiveil ran out of memory.";
        case RegionResult::stopped:
            break;
    }
    return "Lumiveil was stopped.";
}
