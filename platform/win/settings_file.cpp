// The last-used settings file on Windows: <Windows>\quietharborstudio\PS
// Filters\Lumiveil. Where the Windows directory is closed to the user (since
// Vista an ordinary user may not create folders or files there), the same
// relative path under the user's application-data folder holds it instead.

#include "platform/settings_file.h"

#include <windows.h>

#include "platform/win/file_handles.h"
#include "platform/win/module_instance.h"
#include "platform/win/settings_path.h"
#include "resources/resource_ids.h"
#include "sdk/host_constants.h"

namespace {

// The user's own application-data folder (...\AppData\Roaming), from the
// process environment: kernel32 alone, so the module needs no shell DLL. It is
// named after the user, so it is read, and its folders and file are made, with
// the wide calls: the ANSI ones turn every character that the code page lacks
// into '?' and name a folder that does not exist.
constexpr wchar_t kAppDataVariable[] = L"APPDATA";
constexpr DWORD kAppDataBufferSize = kWindowsDirectoryBufferSize;
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

// The Windows directory's path is bytes for the ANSI calls, the application-data
// folder's path UTF-16 units for the wide ones; each call below has one of each.
using WidePath = char16_t[kPathBufferSize];
const wchar_t* wideText(const char16_t* path) {
    return reinterpret_cast<const wchar_t*>(pathText(path));
}

void createFolder(const uint8* path) { CreateDirectoryA(pathText(path), nullptr); }
void createFolder(const char16_t* path) { CreateDirectoryW(wideText(path), nullptr); }

constexpr DWORD kSettingsAccess = GENERIC_READ | GENERIC_WRITE;
HANDLE openOrCreateFile(const uint8* path) {
    return CreateFileA(pathText(path), kSettingsAccess, 0, nullptr, OPEN_ALWAYS, kFileAttributes,
                       nullptr);
}
HANDLE openOrCreateFile(const char16_t* path) {
    return CreateFileW(wideText(path), kSettingsAccess, 0, nullptr, OPEN_ALWAYS, kFileAttributes,
                       nullptr);
}

// Appends the filter's name, string 16000 (at most 30 characters of it).
int32 appendLoadedFilterName(uint8* path) {
    char name[kFilterNameBufferSize] = "";
    if (LoadStringA(moduleInstance(), IDS_FILTER_NAME, name, kFilterNameBufferSize) <= 0) {
        return resNotFound;
    }
    return appendFilterName(path, name) ? noErr : ERROR_FILENAME_EXCED_RANGE;
}
int32 appendLoadedFilterName(char16_t* path) {
    char16_t name[kFilterNameBufferSize] = {};
    if (LoadStringW(moduleInstance(), IDS_FILTER_NAME, reinterpret_cast<wchar_t*>(name),
                    kFilterNameBufferSize) <= 0) {
        return resNotFound;
    }
    return appendFilterName(path, name) ? noErr : ERROR_FILENAME_EXCED_RANGE;
}

// The folder part under baseFolder, ending in a backslash; creates the two
// folders on the way and ignores what those calls say: a folder that already
// exists is fine, and one that cannot be made shows in the later open.
template <typename Unit, typename Char>
int32 settingsFolderUnder(const Char* baseFolder, Unit* path) {
    // A path cut at 255 characters would name another folder: nothing is created then.
    if (!startSettingsPath(path, baseFolder) || !appendToPath(path, kMakerFolder)) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    createFolder(path);
    if (!appendToPath(path, kFiltersFolder)) return ERROR_FILENAME_EXCED_RANGE;
    createFolder(path);
    if (!appendToPath(path, kPathSeparator)) return ERROR_FILENAME_EXCED_RANGE;
    return noErr;
}

int32 appDataFolderPath(char16_t* path) {
    char16_t appData[kAppDataBufferSize] = {};
    const DWORD length = GetEnvironmentVariableW(
        kAppDataVariable, reinterpret_cast<wchar_t*>(appData), kAppDataBufferSize);
    // 0: not set; the buffer size or more: too long, and a cut name is another folder.
    if (length == 0 || length >= kAppDataBufferSize) return fnfErr;
    return settingsFolderUnder(appData, path);
}

// Opens <folder><filter name> for reading and writing, shared with no one.
template <typename Unit>
int32 openSettingsFileIn(Unit* path, PlatformFile* file) {
    const int32 nameResult = appendLoadedFilterName(path);
    if (nameResult != noErr) return nameResult;
    return takeOpenedFile(openOrCreateFile(path), file);
}

// The errors of a place the user may not write to: a folder that could not be
// created leaves the path missing, and a refused folder or file is access denied.
// A sharing violation is not one of them: another host process holds the file,
// and moving would split the settings between two places.
bool placeIsClosed(int32 openResult) {
    return openResult == ERROR_ACCESS_DENIED || openResult == ERROR_PATH_NOT_FOUND;
}

// The folder part under the Windows directory, ending in a backslash; creates
// the two folders on the way. 0, or fnfErr when there is no Windows directory.
int32 settingsFolderPath(uint8* path) {
    char windowsDirectory[kWindowsDirectoryBufferSize] = "";
    if (GetWindowsDirectoryA(windowsDirectory, kWindowsDirectoryBufferSize) == 0) return fnfErr;
    return settingsFolderUnder(windowsDirectory, path);
}

}  // namespace

int32 openLastUsedSettingsFile(PlatformFile* file) {
    uint8 path[kPathBufferSize];
    const int32 folderResult = settingsFolderPath(path);
    if (folderResult != noErr) return folderResult;
    const int32 openResult = openSettingsFileIn(path, file);
    if (!placeIsClosed(openResult)) return openResult;
    // Both reading and writing come here, so a run reads what the last one wrote.
    WidePath appDataPath;
    const int32 appDataResult = appDataFolderPath(appDataPath);
    if (appDataResult != noErr) return appDataResult;
    return openSettingsFileIn(appDataPath, file);
}
