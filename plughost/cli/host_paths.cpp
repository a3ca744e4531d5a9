#include "plughost/cli/host_paths.h"

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

std::string userPath(const std::string& path) {
    const size_t driveLength = sizeof kWineRootDrive - 1;
    if (path.compare(0, driveLength, kWineRootDrive) != 0 || path.size() <= driveLength ||
        path[driveLength] != '\\' || !runningUnderWine()) {
        return path;
    }
    std::string unixPath = path.substr(driveLength);
    for (char& c : unixPath) {
        if (c == '\\') c = '/';
    }
    return unixPath;
}

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
