// The dialog probe's entry point. Start shows the probe dialog; PROBE_DIALOG_MODE=none
// makes Start return at once without one, PROBE_DIALOG_MODE=pump makes it pump messages
// for PROBE_DIALOG_PUMP_MS (default 3000) without ever showing one. About shows the
// probe's About box.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "probe_about.h"
#include "probe_dialog.h"
#include "probe_report.h"
#include "sdk/filter_record.h"
#include "sdk/host_constants.h"

namespace {

constexpr DWORD kDefaultPumpMs = 3000;
constexpr DWORD kPumpSliceMs = 10;
constexpr int kVariableCharacters = 64;

HINSTANCE probeInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&probeInstance), &module);
    return module;
}

std::string environmentValue(const char* name) {
    char value[kVariableCharacters] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

// A selector that keeps the thread's message loop running without a dialog.
void pumpWithoutDialog() {
    std::string requested = environmentValue("PROBE_DIALOG_PUMP_MS");
    DWORD duration =
        requested.empty() ? kDefaultPumpMs : std::strtoul(requested.c_str(), nullptr, 10);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < duration) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPumpSliceMs, QS_ALLINPUT);
    }
}

int16 startFilter(FilterRecord* record) {
    // Nothing to filter: the host has no rectangles to send.
    record->inRect = {0, 0, 0, 0};
    record->outRect = {0, 0, 0, 0};
    std::string mode = environmentValue("PROBE_DIALOG_MODE");
    if (mode == "none") {
        reportLine("start", "no dialog");
        return noErr;
    }
    if (mode == "pump") {
        pumpWithoutDialog();
        reportLine("start", "pumped");
        return noErr;
    }
    INT_PTR result = runProbeDialog(probeInstance(), record);
    if (result == -1) return static_cast<int16>(GetLastError());
    return result == IDCANCEL ? kAlreadyReported : noErr;
}

}  // namespace

extern "C" __declspec(dllexport) void ENTRYPOINT(int16 selector, void* record, intptr_t* /*data*/,
                                                 int16* result) {
    int16 outcome = noErr;
    switch (selector) {
        case filterSelectorAbout: {
            AboutRecord* about = static_cast<AboutRecord*>(record);
            HWND owner = nullptr;
            if (about && about->platformData)
                owner =
                    reinterpret_cast<HWND>(static_cast<PlatformData*>(about->platformData)->hwnd);
            runProbeAbout(probeInstance(), owner);
            break;
        }
        case filterSelectorParameters:
        case filterSelectorContinue:
        case filterSelectorFinish:
            break;
        case filterSelectorPrepare:
            static_cast<FilterRecord*>(record)->bufferSpace = 0;
            break;
        case filterSelectorStart:
            outcome = startFilter(static_cast<FilterRecord*>(record));
            break;
        default:
            outcome = static_cast<int16>(filterBadParameters);
            break;
    }
    if (result) *result = outcome;
}
