#include "host/host_errors.h"

#include <windows.h>

#include "platform/module_instance.h"
#include "resources/resource_ids.h"

namespace {
constexpr int kTextCapacity = 256;
constexpr int kCaptionCapacity = 128;
}  // namespace

void showHostError(unsigned stringId) {
    char text[kTextCapacity] = "";
    char caption[kCaptionCapacity] = "";
    LoadStringA(moduleInstance(), stringId, text, kTextCapacity);
    LoadStringA(moduleInstance(), IDS_ERROR_CAPTION, caption, kCaptionCapacity);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
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
