#include "plughost/module/module_hooks.h"

#include <cstring>

#include "plughost/cli/trace.h"
#include "plughost/module/import_patch.h"
#include "plughost/record/callback_clock.h"

namespace {

constexpr SHORT kKeyDown = SHORT(0x8000);  // most significant bit: the key is down now

ModuleHookSettings hookSettings;
bool startInProgress = false;

SHORT WINAPI hostGetAsyncKeyState(int key) {
    CallbackClock clock;
    const SHORT state =
        (key == VK_MENU && hookSettings.altDuringStart && startInProgress) ? kKeyDown : 0;
    traceLine("getasynckeystate 0x%02X -> 0x%04X", unsigned(key), unsigned(USHORT(state)));
    return state;
}

UINT WINAPI hostGetWindowsDirectoryA(LPSTR buffer, UINT size) {
    CallbackClock clock;
    if (!hookSettings.overrideWindowsDir) {
        const UINT length = GetWindowsDirectoryA(buffer, size);
        traceLine("getwindowsdirectory -> %s", length > 0 && length < size ? buffer : "0");
        return length;
    }
    if (hookSettings.windowsDirFails) {
        traceLine("getwindowsdirectory -> 0");
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    const std::string& path = hookSettings.windowsDir;
    if (buffer == nullptr || size <= path.size()) {
        traceLine("getwindowsdirectory -> %s (buffer of %u too small)", path.c_str(), size);
        return UINT(path.size() + 1);  // the size needed, terminator included
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    traceLine("getwindowsdirectory -> %s", path.c_str());
    return UINT(path.size());
}

}  // namespace

void installModuleHooks(HMODULE module, const ModuleHookSettings& settings) {
    hookSettings = settings;
    patchModuleImport(module, "GetAsyncKeyState", reinterpret_cast<void*>(hostGetAsyncKeyState));
    patchModuleImport(module, "GetWindowsDirectoryA",
                      reinterpret_cast<void*>(hostGetWindowsDirectoryA));
}

void setStartInProgress(bool inStart) { startInProgress = inStart; }
