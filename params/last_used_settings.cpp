// Failures here are returned, never shown: a missing folder, a file held open by
// another host process or a read error simply leave things as they were.

#include "params/last_used_settings.h"

#include "host/entry.h"
#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"
#include "params/settings_path.h"
#include "resources/resource_ids.h"
#include "sdk/host_constants.h"

int32 settingsFolderPath(uint8* path) {
    char windowsDirectory[kWindowsDirectoryBufferSize] = "";
    if (GetWindowsDirectoryA(windowsDirectory, kWindowsDirectoryBufferSize) == 0) return fnfErr;
    // A path cut at 255 characters would name another folder: nothing is created then.
    if (!startSettingsPath(path, windowsDirectory) || !appendToPath(path, kMakerFolder)) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    CreateDirectoryA(pathText(path), nullptr);  // an existing folder is fine
    if (!appendToPath(path, kFiltersFolder)) return ERROR_FILENAME_EXCED_RANGE;
    CreateDirectoryA(pathText(path), nullptr);
    if (!appendToPath(path, kPathSeparator)) return ERROR_FILENAME_EXCED_RANGE;
    return noErr;
}

int32 openLastUsedSettingsFile(HANDLE& file) {
    uint8 path[kPathBufferSize];
    const int32 folderResult = settingsFolderPath(path);
    if (folderResult != noErr) return folderResult;
    char filterName[kFilterNameBufferSize] = "";
    if (LoadStringA(moduleInstance(), IDS_FILTER_NAME, filterName, kFilterNameBufferSize) <= 0) {
        return resNotFound;
    }
    if (!appendFilterName(path, filterName)) return ERROR_FILENAME_EXCED_RANGE;
    file = CreateFileA(pathText(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int32>(GetLastError());
    return noErr;
}

int32 readLastUsedSettings(ParameterBlock& block) {
    HANDLE file = INVALID_HANDLE_VALUE;
    int32 result = openLastUsedSettingsFile(file);
    if (result != noErr) return result;
    ParameterFileImage image;
    DWORD bytesRead = 0;
    if (!ReadFile(file, image.bytes, sizeof image.bytes, &bytesRead, nullptr)) {
        result = static_cast<int32>(GetLastError());
    } else {
        int32 stamp = 0;
        ParameterSet decoded = {};
        if (decodeImage(image, static_cast<int32>(bytesRead), stamp, decoded)) {
            block.header.stamp = stamp;
            copyParameterSet(decoded, block.body);
        }
    }
    CloseHandle(file);
    return result;
}

int32 writeLastUsedSettings(const ParameterBlock& block) {
    HANDLE file = INVALID_HANDLE_VALUE;
    int32 result = openLastUsedSettingsFile(file);
    if (result != noErr) return result;
    const ParameterFileImage image = encodeBlock(block.header, block.body);
    DWORD bytesWritten = 0;
    if (!WriteFile(file, image.bytes, sizeof image.bytes, &bytesWritten, nullptr)) {
        result = static_cast<int32>(GetLastError());
    } else if (bytesWritten != sizeof image.bytes) {
        result = ERROR_HANDLE_DISK_FULL;  // a short write is a failure, not a success
    }
    CloseHandle(file);
    return result;
}
