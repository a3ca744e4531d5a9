// The last-used settings file on the Mac:
// ~/Library/Application Support/quietharborstudio/PS Filters/<filter name>, the
// place Apple gives a program's own support files. The home folder is HOME's:
// inside a sandboxed host that is the host's container, the one place it may
// write to.

#include "platform/settings_file.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "platform/module_strings.h"
#include "resources/resource_ids.h"
#include "sdk/host_constants.h"

namespace {

constexpr char kHomeVariable[] = "HOME";
// The folders under the home folder, each created on the way when missing.
constexpr const char* kFolders[] = {"Library", "Application Support", "quietharborstudio",
                                    "PS Filters"};
constexpr int32 kPathCapacity = 1024;  // PATH_MAX
constexpr int32 kFilterNameCapacity = 31;
constexpr mode_t kFolderMode = 0755;

// Appends "/" and `part` to the zero-terminated path; false when it would not fit.
bool appendPathPart(char* path, const char* part) {
    const size_t length = std::strlen(path);
    const size_t added = std::strlen(part);
    if (length + 1 + added + 1 > size_t(kPathCapacity)) return false;
    path[length] = '/';
    std::memcpy(path + length + 1, part, added + 1);
    return true;
}

}  // namespace

int32 openLastUsedSettingsFile(PlatformFile* file) {
    const char* home = std::getenv(kHomeVariable);
    if (!home || home[0] != '/') return fnfErr;  // no home folder to keep the file in
    char filterName[kFilterNameCapacity] = "";
    if (loadModuleString(IDS_FILTER_NAME, filterName, kFilterNameCapacity) <= 0) return resNotFound;

    char path[kPathCapacity] = "";
    if (std::strlen(home) >= size_t(kPathCapacity)) return ENAMETOOLONG;
    std::strncpy(path, home, kPathCapacity - 1);
    for (const char* folder : kFolders) {
        // A cut path would name another folder: nothing is created then.
        if (!appendPathPart(path, folder)) return ENAMETOOLONG;
        // A folder that exists is fine; one that cannot be made shows in the open.
        mkdir(path, kFolderMode);
    }
    if (!appendPathPart(path, filterName)) return ENAMETOOLONG;
    return openFile(path, FileOpening::openOrCreate, file);
}
