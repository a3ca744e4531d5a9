// The Lumiveil effect as a GEGL operation: an area filter whose halo is the margin
// the module asks its host for, run on the input's own bytes, or on its values as
// floats when its components are finer than a byte. gegl-op.h includes
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

// The format the picture is filtered in: its own colour space, its alpha or none,
// and its own bytes when its components are 8-bit (babl then hands them over as
// they are, whatever profile the picture carries); perceptual floats otherwise, so
// nothing finer than a byte is lost. A source of no known format reads as RGBA u8.
const Babl* pixelFormat(GeglOperation* operation) {
    const Babl* space = gegl_operation_get_source_space(operation, "input");
    const Babl* source = gegl_operation_get_source_format(operation, "input");
    if (!source) return babl_format_with_space(kByteFormatRgba, space);
    const bool alpha = babl_format_has_alpha(source);
    if (babl_format_get_type(source, 0) == babl_type("u8")) {
        return babl_format_with_space(alpha ? kByteFormatRgba : kByteFormatRgb, space);
    }
    return babl_format_with_space(alpha ? kFloatFormatRgba : kFloatFormatRgb, space);
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

// Where `rect` lies in picture coordinates (origin at the input's top left), for
// a block of either kind; the caller sets its pixel and row sizes.
template <typename Block, typename Value>
Block pictureBlock(Value* data, const GeglRectangle& rect, const GeglRectangle& picture) {
    Block block;
    block.data = data;
    block.top = rect.y - picture.y;
    block.left = rect.x - picture.x;
    block.bottom = block.top + rect.height;
    block.right = block.left + rect.width;
    return block;
}

bool filterRequest(const AreaSettings& settings, void* in, const GeglRectangle& reach, void* out,
                   const GeglRectangle& result, const GeglRectangle& picture, bool floats,
                   int32_t values) {
    if (floats) {
        auto input = pictureBlock<FloatBlock>(static_cast<float*>(in), reach, picture);
        auto output = pictureBlock<FloatBlock>(static_cast<float*>(out), result, picture);
        input.pixelFloats = output.pixelFloats = values;
        input.rowFloats = ptrdiff_t(reach.width) * values;
        output.rowFloats = ptrdiff_t(result.width) * values;
        return filterFloatArea(settings, input, output);
    }
    auto input = pictureBlock<PixelBlock>(static_cast<uint8_t*>(in), reach, picture);
    auto output = pictureBlock<PixelBlock>(static_cast<uint8_t*>(out), result, picture);
    input.pixelBytes = output.pixelBytes = values;
    input.rowBytes = ptrdiff_t(reach.width) * values;
    output.rowBytes = ptrdiff_t(result.width) * values;
    return filterArea(settings, input, output);
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
    const Babl* format = gegl_operation_get_format(operation, "output");
    const bool floats = babl_format_get_type(format, 0) == babl_type("float");
    const int32_t values = babl_format_get_n_components(format);
    const size_t pixelBytes = size_t(babl_format_get_bytes_per_pixel(format));
    void* in = g_try_malloc(size_t(reach.width) * reach.height * pixelBytes);
    void* out = g_try_malloc(size_t(result->width) * result->height * pixelBytes);
    gboolean done = FALSE;
    if (in && out) {
        gegl_buffer_get(input, &reach, 1.0, format, in, GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_CLAMP);
        done = filterRequest(settings, in, reach, out, *result, picture, floats, values);
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
