// The open and save panels on the Mac (NSOpenPanel, NSSavePanel), run modally
// over the parameter dialog and limited to parameter files (.prm). The save
// panel adds the extension and asks before replacing a file itself.

#include "platform/file_dialogs.h"

#include <errno.h>

#include <cstring>

#include "platform/mac/appkit.h"
#include "platform/mac/cocoa_objects.h"

namespace {

constexpr char kParameterFileExtension[] = "prm";

id parameterFileTypes() {
    return send(classNamed("NSArray"), "arrayWithObject:", nsString(kParameterFileExtension));
}

// Runs the panel (a shared, autoreleased one); true when the user chose a file.
bool runPanel(id panel) {
    send<void>(panel, "setAllowedFileTypes:", parameterFileTypes());
    return send<NSInteger>(panel, "runModal") == NSModalResponseOK;
}

// The chosen file's path into `path`: 0, or ENAMETOOLONG when it does not fit.
int32 takeChosenPath(id panel, PathUnit* path, int32 capacity, bool* chosen, int32* nameOffset) {
    id url = send(panel, "URL");
    const char* chosenPath = url ? send<const char*>(url, "fileSystemRepresentation") : nullptr;
    if (!chosenPath) return ENOENT;
    const size_t length = std::strlen(chosenPath);
    if (capacity <= 0 || length + 1 > size_t(capacity)) return ENAMETOOLONG;
    std::memcpy(path, chosenPath, length + 1);
    if (nameOffset) {
        // The file's own name starts after the last slash.
        *nameOffset = 0;
        for (size_t k = 0; k < length; ++k) {
            if (path[k] == '/') *nameOffset = static_cast<int32>(k + 1);
        }
    }
    *chosen = true;
    return 0;
}

}  // namespace

int32 askForFileToLoad(PathUnit* path, int32 capacity, bool* chosen) {
    *chosen = false;
    id panel = send(classNamed("NSOpenPanel"), "openPanel");
    if (!panel) return ENOTSUP;
    send<void>(panel, "setCanChooseDirectories:", NO);
    send<void>(panel, "setAllowsMultipleSelection:", NO);
    if (!runPanel(panel)) return 0;  // cancelled
    return takeChosenPath(panel, path, capacity, chosen, nullptr);
}

int32 askForFileToSave(PathUnit* path, int32 capacity, bool* chosen, int32* nameOffset) {
    *chosen = false;
    *nameOffset = 0;
    id panel = send(classNamed("NSSavePanel"), "savePanel");
    if (!panel) return ENOTSUP;
    if (!runPanel(panel)) return 0;
    return takeChosenPath(panel, path, capacity, chosen, nameOffset);
}
