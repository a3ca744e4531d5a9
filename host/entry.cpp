// ENTRYPOINT: one call per step of a filter run, dispatched by selector.

#include "host/entry.h"

#include "host/filter_pass.h"
#include "params/parameter_block.h"
#include "platform/about_box.h"
#include "sdk/host_constants.h"
#include "sdk/layout_checks.h"

namespace {

constexpr unsigned kHighestSelector = filterSelectorFinish;

int32 prepareFilter(FilterRecord* record) {
    record->bufferSpace = 0;  // the pass allocates its own work buffer; maxSpace is not read
    return noErr;
}

int32 dispatchSelector(int16 selector, void* record) {
    // Negative selectors compare as large unsigned values and fall through to "unknown".
    if (static_cast<uint16>(selector) > kHighestSelector) return filterBadParameters;
    if (!record && selector != filterSelectorAbout) return paramErr;  // a host without a record
    FilterRecord* filter = static_cast<FilterRecord*>(record);
    switch (selector) {
        case filterSelectorAbout:
            showAboutBox(static_cast<const AboutRecord*>(record));
            return noErr;
        case filterSelectorParameters:
            return prepareParameterBlock(filter);
        case filterSelectorPrepare:
            return prepareFilter(filter);
        case filterSelectorStart:
            return startFilter(filter);
        case filterSelectorContinue:
            return filterStrips(filter);
        case filterSelectorFinish:
            return noErr;  // Start has already released everything
    }
    return filterBadParameters;
}

}  // namespace

extern "C" void ENTRYPOINT(int16 selector, void* record, intptr_t* /*data: not used*/,
                           int16* result) {
    const int32 status = dispatchSelector(selector, record);
    if (result) *result = static_cast<int16>(status);
}
