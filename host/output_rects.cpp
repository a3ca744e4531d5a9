#include "host/output_rects.h"

#include "engine/effect_engine.h"
#include "host/host_errors.h"
#include "host/strip_height.h"
#include "resources/resource_ids.h"

namespace {

constexpr OSType kHostSigPMIG = fourCharCode("PMIG");

bool keepsOnlyLastOutputRect(const FilterRecord* record) { return record->hostSig == kHostSigPMIG; }

int32 filterRows(const FilterRecord* record) {
    return record->filterRect.bottom - record->filterRect.top;
}

// Bytes the host must hold for one request of the whole filterRect: the input
// with the kernel's margins on every side and the output, all planes. In 64
// bits: a large selection exceeds 32.
int64_t oneRequestBytes(const FilterRecord* record) {
    const int64_t rows = filterRows(record);
    const int64_t columns = record->filterRect.right - record->filterRect.left;
    const int64_t margins = kMarginBefore + kMarginAfter;
    const int64_t planes = record->planes;
    return ((rows + margins) * (columns + margins) + rows * columns) * planes;
}

}  // namespace

int32 outputRowsPerRequest(const FilterRecord* record) {
    if (!keepsOnlyLastOutputRect(record)) return kStripHeight;
    const int32 rows = filterRows(record);
    return rows > 0 ? rows : kStripHeight;  // an empty filterRect still makes one pass
}

bool requireOutputInOneRequest(const FilterRecord* record) {
    if (!keepsOnlyLastOutputRect(record)) return true;
    if (oneRequestBytes(record) <= int64_t(record->maxSpace)) return true;
    // Strips would come back with all but the last lost: refuse instead.
    showHostError(IDS_INCOMPATIBLE_HOST);
    return false;
}
