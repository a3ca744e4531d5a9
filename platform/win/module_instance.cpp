// The DLL entry that Windows calls: it records the instance handle at process
// attach and reports success for every notification.

#include "platform/win/module_instance.h"

namespace {

HINSTANCE instanceOfThisModule = nullptr;

}  // namespace

HINSTANCE moduleInstance() { return instanceOfThisModule; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) instanceOfThisModule = instance;
    return TRUE;
}
