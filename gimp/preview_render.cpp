#include "gimp/preview_render.h"

#include <cstring>
#include <memory>
#include <new>

#include "engine/region_walk.h"
#include "gimp/drawable_pixels.h"

namespace {

// Collects the strips of the preview area into one block for the preview widget.
struct PreviewCanvas {
    DrawablePixels pixels;
    uint8* bytes;
    int32 rowBytes;
    int32 top;  // layer row of the canvas's first row
};

bool copyStripToCanvas(void* context, const PixelArea& strip, PixelRows rows) {
    auto* canvas = static_cast<PreviewCanvas*>(context);
    for (int32 y = 0; y < strip.height; ++y) {
        std::memcpy(canvas->bytes + size_t(strip.top - canvas->top + y) * canvas->rowBytes,
                    rows.data + size_t(y) * rows.rowBytes, size_t(canvas->rowBytes));
    }
    return true;
}

bool readForCanvas(void* context, const PixelArea& area, PixelRows rows) {
    return readDrawableArea(&static_cast<PreviewCanvas*>(context)->pixels, area, rows);
}

}  // namespace

void renderPreview(GimpPreview* preview, const EffectValues* values) {
    const gint32 drawable = gimp_drawable_preview_get_drawable_id(GIMP_DRAWABLE_PREVIEW(preview));
    RegionJob job;
    job.radiation = values->radiation;
    job.amount = values->amount;
    job.mist = values->mist;
    job.layerWidth = gimp_drawable_width(drawable);
    job.layerHeight = gimp_drawable_height(drawable);
    gimp_preview_get_position(preview, &job.target.left, &job.target.top);
    gimp_preview_get_size(preview, &job.target.width, &job.target.height);
    if (job.target.width <= 0 || job.target.height <= 0) return;

    PreviewCanvas canvas;
    if (!openDrawablePixels(drawable, false, &canvas.pixels)) return;
    canvas.rowBytes = job.target.width * canvas.pixels.planes;
    canvas.top = job.target.top;
    std::unique_ptr<uint8[]> bytes(new (std::nothrow)
                                       uint8[size_t(canvas.rowBytes) * job.target.height]);
    canvas.bytes = bytes.get();
    job.planes = canvas.pixels.planes;
    job.context = &canvas;
    job.read = readForCanvas;
    job.write = copyStripToCanvas;
    job.report = nullptr;
    // Without memory for the canvas the preview keeps showing what it showed.
    if (canvas.bytes != nullptr && filterRegion(job) == RegionResult::done) {
        gimp_preview_draw_buffer(preview, canvas.bytes, canvas.rowBytes);
    }
    closeDrawablePixels(&canvas.pixels);
}
