#include "params/settings_path.h"

#include <cstring>

namespace {

constexpr char kBackslash = '\\';

void terminate(uint8* path) { path[path[0] + 1] = 0; }

}  // namespace

bool appendToPath(uint8* path, const char* text) {
    // appendLString's cut, taken character by character so that a text longer
    // than the room left is never read further than needed to see it is cut.
    bool whole = true;
    int32 length = path[0];
    if (text != nullptr) {
        for (const char* character = text; *character != '\0'; ++character) {
            if (length == kMaxPathLength) {
                whole = false;
                break;
            }
            path[++length] = uint8(*character);
        }
    }
    path[0] = uint8(length);
    terminate(path);
    return whole;
}

bool startSettingsPath(uint8* path, const char* baseFolder) {
    path[0] = 0;
    bool whole = appendToPath(path, baseFolder);
    const int32 length = path[0];
    if (length > 0 && path[length] != kBackslash)
        whole = appendToPath(path, kPathSeparator) && whole;
    return whole;
}

bool appendFilterName(uint8* path, const char* filterName) {
    char name[kFilterNameBufferSize] = {};
    if (filterName != nullptr) std::strncpy(name, filterName, kMaxFilterNameLength);
    return appendToPath(path, name);
}

const char* pathText(const uint8* path) { return reinterpret_cast<const char*>(path + 1); }

SettingsFilePaths buildSettingsFilePath(const char* windowsDirectory, const char* filterName) {
    SettingsFilePaths paths;
    uint8 path[kPathBufferSize] = {};
    bool complete = startSettingsPath(path, windowsDirectory);
    complete = appendToPath(path, kMakerFolder) && complete;
    std::memcpy(paths.makerFolder, path, sizeof path);
    complete = appendToPath(path, kFiltersFolder) && complete;
    std::memcpy(paths.filtersFolder, path, sizeof path);
    complete = appendToPath(path, kPathSeparator) && complete;
    std::memcpy(paths.folder, path, sizeof path);
    complete = appendFilterName(path, filterName) && complete;
    std::memcpy(paths.file, path, sizeof path);
    paths.complete = complete;
    return paths;
}
