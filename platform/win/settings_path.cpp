#include "platform/win/settings_path.h"

#include <cstring>

namespace {

constexpr char kBackslash = '\\';

// A character of the text as a unit of the path: bytes stay bytes, ASCII bytes
// widen to UTF-16 units, UTF-16 units stay as they are.
uint8 unitOf(uint8*, char character) { return uint8(character); }
char16_t unitOf(char16_t*, char character) { return char16_t(uint8(character)); }
char16_t unitOf(char16_t*, char16_t unit) { return unit; }

template <typename Unit>
void terminate(Unit* path) {
    path[path[0] + 1] = 0;
}

template <typename Unit, typename Char>
bool appendUnits(Unit* path, const Char* text) {
    // appendLString's cut, taken character by character so that a text longer
    // than the room left is never read further than needed to see it is cut.
    bool whole = true;
    int32 length = path[0];
    if (text != nullptr) {
        for (const Char* character = text; *character != 0; ++character) {
            if (length == kMaxPathLength) {
                whole = false;
                break;
            }
            path[++length] = unitOf(path, *character);
        }
    }
    path[0] = Unit(length);
    terminate(path);
    return whole;
}

template <typename Unit, typename Char>
bool startPath(Unit* path, const Char* baseFolder) {
    path[0] = 0;
    bool whole = appendUnits(path, baseFolder);
    const int32 length = path[0];
    if (length > 0 && path[length] != Unit(kBackslash))
        whole = appendUnits(path, kPathSeparator) && whole;
    return whole;
}

template <typename Unit, typename Char>
bool appendName(Unit* path, const Char* filterName) {
    Char name[kFilterNameBufferSize] = {};
    for (int32 i = 0; filterName != nullptr && i < kMaxFilterNameLength && filterName[i] != 0; ++i)
        name[i] = filterName[i];
    return appendUnits(path, name);
}

}  // namespace

bool appendToPath(uint8* path, const char* text) { return appendUnits(path, text); }
bool appendToPath(char16_t* path, const char* asciiText) { return appendUnits(path, asciiText); }
bool appendToPath(char16_t* path, const char16_t* text) { return appendUnits(path, text); }

bool startSettingsPath(uint8* path, const char* baseFolder) { return startPath(path, baseFolder); }
bool startSettingsPath(char16_t* path, const char16_t* baseFolder) {
    return startPath(path, baseFolder);
}

bool appendFilterName(uint8* path, const char* filterName) { return appendName(path, filterName); }
bool appendFilterName(char16_t* path, const char16_t* filterName) {
    return appendName(path, filterName);
}

const char* pathText(const uint8* path) { return reinterpret_cast<const char*>(path + 1); }
const char16_t* pathText(const char16_t* path) { return path + 1; }

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
