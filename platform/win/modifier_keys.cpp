#include "platform/modifier_keys.h"

#include <windows.h>

namespace {

constexpr SHORT kKeyDownBit = static_cast<SHORT>(0x8000);

}  // namespace

bool altKeyDown() { return (GetAsyncKeyState(VK_MENU) & kKeyDownBit) != 0; }
