#include "plughost/host_paths.h"

#include <windows.h>

namespace {

constexpr char kWineRootDrive[] = "Z:";  // Wine maps the Linux root to this drive

}  // namespace

std::string toWindowsPath(const std::string& path, bool underWine) {
    if (!underWine || path.empty() || path[0] != '/') return path;
    std::string windows = kWineRootDrive + path;
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return windows;
}

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
