// The filter record as the host fills it before a run: its callbacks, the
// document's size and selection, the host's capabilities from the command
// line, and recognisable starting values where a test needs to see whether
// the module wrote a field.
#pragma once

#include "plughost/cli/host_options.h"
#include "plughost/pictures/host_image.h"
#include "sdk/filter_record.h"

// With a mask the host starts maskRect and maskPadding at values no module
// would write, so a test can see whether the module wrote them. The rectangle
// is empty (bottom above top), so it asks for nothing.
constexpr Rect kMaskRectSentinel = {-4242, -4242, -4243, -4243};
constexpr int16 kMaskPaddingSentinel = 4242;

constexpr int32 kStr255Size = 256;

// What the record is filled from; the pointers must outlive the run.
struct RecordSource {
    const HostOptions* options = nullptr;
    const HostImage* image = nullptr;
    Rect filterRect = {};
    bool hasMask = false;                  // --mask or --floating
    PlatformData* platform = nullptr;      // its hwnd is already set
    unsigned char* errorString = nullptr;  // kStr255Size bytes
    Handle parameters = nullptr;           // kept from the run before, or from --params
};

// The filter case of the document: 1 flat, 2 flat with selection, 3 floating,
// 4 and 5 with a transparency plane (without and with selection).
int16 filterCaseFor(const HostOptions& options);

// Fills every field the host sets; the rest stays zero.
void fillFilterRecord(const RecordSource& source, FilterRecord* record);

// The trace line "record parameters=... inRect=..." written after each selector.
void traceRecord(const FilterRecord& record);
