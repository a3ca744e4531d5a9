// The Option key from CoreGraphics' combined session state: the keyboard as the
// host application sees it, whichever device the key is on.

#include "platform/modifier_keys.h"

#include <cstdint>

extern "C" {
// CoreGraphics (CGEventSource.h), with Darwin's types: CGEventSourceStateID is a
// 32-bit enum, CGEventFlags a 64-bit mask.
uint64_t CGEventSourceFlagsState(int32_t stateID);
}

namespace {

constexpr int32_t kCGEventSourceStateCombinedSessionState = 0;
constexpr uint64_t kCGEventFlagMaskAlternate = 0x00080000;  // Option, either side

}  // namespace

bool altKeyDown() {
    return (CGEventSourceFlagsState(kCGEventSourceStateCombinedSessionState) &
            kCGEventFlagMaskAlternate) != 0;
}
