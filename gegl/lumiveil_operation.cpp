// The Lumiveil effect as a GEGL operation: an area filter whose halo is the margin
// the module asks its host for, run on the input's own bytes. gegl-op.h includes
// this file twice: once for the properties, once for the code.
#ifdef GEGL_PROPERTIES

// gegl-op.h's property list is a macro language of its own.
// clang-format off
property_int(radiation, "Radiation", 50)
    description("Size of the averaging box")
    value_range(0, 100)

property_int(amount, "Amount", 50)
    description("Strength of the blend toward the box mean")
    value_range(0, 100)

property_int(mist, "Mist", 0)
    description("Black lift of the tone curve")
    value_range(0, 100)
// clang-format on

#else

#define GEGL_OP_AREA_FILTER
#define GEGL_OP_NAME lumiveil_operation
#define GEGL_OP_C_SOURCE lumiveil_operation.cpp

#include <gegl-op.h>

#include "gegl/area_pass.h"
#include "gegl/operation_keys.h"

namespace {

// R'G'B'A u8 in the input's own colour space: babl then hands over the picture's
// bytes as they are, whatever profile the picture carries.
const Babl* pixelFormat(GeglOperation* operation) {
    return babl_format_with_space(kPixelFormatName,
                                  gegl_operation_get_source_space(operation, "input"));
}

void prepare(GeglOperation* operation) {
    GeglOperationAreaFilter* area = GEGL_OPERATION_AREA_FILTER(operation);
    area->left = kMarginBefore;
    area->top = kMarginBefore;
    area->right = kMarginAfter;
    area->bottom = kMarginAfter;
    const Babl* format = pixelFormat(operation);
    gegl_operation_set_format(operation, "input", format);
    gegl_operation_set_format(operation, "output", format);
}

// The output is the input's size: the base class would grow it by the halo.
GeglRectangle getBoundingBox(GeglOperation* operation) {
    const GeglRectangle* input = gegl_operation_source_get_bounding_box(operation, "input");
    if (!input) return GeglRectangle{0, 0, 0, 0};
    return *input;
}

// A block of `rect`'s pixels in picture coordinates (origin at the input's top left).
PixelBlock pictureBlock(guchar* data, const GeglRectangle& rect, const GeglRectangle& picture) {
    PixelBlock block;
    block.data = data;
    block.rowBytes = ptrdiff_t(rect.width) * kAreaPixelBytes;
    block.pixelBytes = kAreaPixelBytes;
    block.top = rect.y - picture.y;
    block.left = rect.x - picture.x;
    block.bottom = block.top + rect.height;
    block.right = block.left + rect.width;
    return block;
}

gboolean process(GeglOperation* operation, GeglBuffer* input, GeglBuffer* output,
                 const GeglRectangle* result, gint level) {
    const GeglRectangle* extent = gegl_operation_source_get_bounding_box(operation, "input");
    if (!extent || result->width <= 0 || result->height <= 0) return TRUE;
    GeglRectangle picture = *extent;

    // The halo around the request, clipped to the picture: beyond the picture the
    // engine repeats its edge, as the module's host does.
    GeglRectangle grown = {result->x - kMarginBefore, result->y - kMarginBefore,
                           result->width + kMarginBefore + kMarginAfter,
                           result->height + kMarginBefore + kMarginAfter};
    GeglRectangle reach;
    if (!gegl_rectangle_intersect(&reach, &grown, &picture)) return TRUE;

    GeglProperties* properties = GEGL_PROPERTIES(operation);
    AreaSettings settings = {properties->radiation, properties->amount, properties->mist};
    const Babl* format = pixelFormat(operation);
    guchar* in =
        static_cast<guchar*>(g_try_malloc(size_t(reach.width) * reach.height * kAreaPixelBytes));
    guchar* out = static_cast<guchar*>(
        g_try_malloc(size_t(result->width) * result->height * kAreaPixelBytes));
    gboolean done = FALSE;
    if (in && out) {
        gegl_buffer_get(input, &reach, 1.0, format, in, GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_CLAMP);
        done = filterArea(settings, pictureBlock(in, reach, picture),
                          pictureBlock(out, *result, picture));
        if (done) gegl_buffer_set(output, result, level, format, out, GEGL_AUTO_ROWSTRIDE);
    }
    g_free(out);
    g_free(in);
    return done;
}

}  // namespace

static void gegl_op_class_init(GeglOpClass* klass) {
    GeglOperationClass* operationClass = GEGL_OPERATION_CLASS(klass);
    GeglOperationFilterClass* filterClass = GEGL_OPERATION_FILTER_CLASS(klass);
    operationClass->prepare = prepare;
    operationClass->get_bounding_box = getBoundingBox;
    filterClass->process = process;
    // clang-format off
    gegl_operation_class_set_keys(operationClass,
        "name", kOperationName,
        "title", kOperationTitle,
        "categories", kOperationCategories,
        "gimp:menu-path", kGimpMenuPath,
        "gimp:menu-label", kGimpMenuLabel,
        "description", kOperationDescription,
        nullptr);
    // clang-format on
}

#endif
