#include "strips/strip_geometry.h"

#include "strips/module_effect.h"

namespace {

int16 atMost(int16 value, int16 limit) { return value < limit ? value : limit; }
int16 atLeast(int16 value, int16 limit) { return value > limit ? value : limit; }

}  // namespace

Rect imageBoundsAtFactor(const FilterRecord* record, int32 factor) {
    // A host whose imageSize does not even hold filterRect is not believed: the
    // selection itself is then the only area known to exist.
    int32 height = record->imageSize.v;
    int32 width = record->imageSize.h;
    if (height < record->filterRect.bottom) height = record->filterRect.bottom;
    if (width < record->filterRect.right) width = record->filterRect.right;
    if (factor < 1) factor = 1;
    return Rect{0, 0, static_cast<int16>((height + factor - 1) / factor),
                static_cast<int16>((width + factor - 1) / factor)};
}

void requestInputAround(FilterRecord* record, int32 factor) {
    setInputRect(record);
    if (record->supportsPadding) return;
    const Rect image = imageBoundsAtFactor(record, factor);
    Rect& in = record->inRect;
    in.top = atLeast(in.top, image.top);
    in.left = atLeast(in.left, image.left);
    in.bottom = atMost(in.bottom, image.bottom);
    in.right = atMost(in.right, image.right);
}

void requestStripInput(FilterRecord* record) { requestInputAround(record, 1); }
