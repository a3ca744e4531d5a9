#include "plughost/module_surroundings.h"

#include <windows.h>

#include "plughost/host_paths.h"
#include "plughost/trace.h"

namespace {

// Wine fills APPDATA from its own profile over the caller's environment, so the
// host sets it in its own process, where the module reads it.
// The folder is UTF-8 and set with the wide call: it may be named in any script.
constexpr wchar_t kAppDataVariable[] = L"APPDATA";

constexpr DWORD kNoSharing = 0;

}  // namespace

bool prepareModuleSurroundings(const ModuleSurroundings& surroundings, std::string* error) {
    if (surroundings.setAppData) {
        const std::wstring folder = wideText(surroundings.appData);
        SetEnvironmentVariableW(kAppDataVariable,
                                surroundings.appDataMissing ? nullptr : folder.c_str());
        traceLine("note appdata %s",
                  surroundings.appDataMissing ? "(none)" : surroundings.appData.c_str());
    }
    if (!surroundings.heldFile.empty()) {
        // Never closed: the handle lives as long as the host process.
        const HANDLE file =
            CreateFileA(surroundings.heldFile.c_str(), GENERIC_READ | GENERIC_WRITE, kNoSharing,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            *error = "cannot hold " + surroundings.heldFile + " open (error " +
                     std::to_string(GetLastError()) + ")";
            return false;
        }
        traceLine("note hold-file %s held", surroundings.heldFile.c_str());
    }
    return true;
}
