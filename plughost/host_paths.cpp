#include "plughost/host_paths.h"

// shellapi.h builds on windows.h.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

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

std::wstring wideText(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), &wide[0],
                            length);
    }
    return wide;
}

std::string utf8Text(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(size_t(length), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0], length, nullptr,
                            nullptr);
    }
    return utf8;
}

bool utf8OptionValue(const char* option, std::string* value) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) return false;
    const std::wstring wanted = wideText(option);
    bool found = false;
    for (int i = 1; i + 1 < count; ++i) {  // the last one counts, as for the other options
        if (wanted != words[i]) continue;
        *value = utf8Text(words[i + 1]);
        found = true;
    }
    LocalFree(words);
    return found;
}
