#include "host/host_errors.h"

#include "platform/message_box.h"
#include "platform/module_strings.h"
#include "resources/resource_ids.h"

namespace {
constexpr int kTextCapacity = 256;
constexpr int kCaptionCapacity = 128;
}  // namespace

void showHostError(unsigned stringId) {
    char text[kTextCapacity] = "";
    char caption[kCaptionCapacity] = "";
    loadModuleString(stringId, text, kTextCapacity);
    loadModuleString(IDS_ERROR_CAPTION, caption, kCaptionCapacity);
    showErrorBox(text, caption);
}

bool requireAdvanceState(AdvanceStateProc advanceState) {
    if (advanceState) return true;
    // advanceState arrived with the 2.5 interface, which is what string 16997 names.
    showHostError(IDS_NEEDS_HOST_2_5);
    return false;
}

bool requireDisplayPixels(DisplayPixelsProc displayPixels) {
    if (displayPixels) return true;
    showHostError(IDS_NEEDS_HOST_2_5_2);
    return false;
}
