// The open and save panels on the Mac, until the parameter dialog has a window
// (platform/mac/dialog_window.cpp): never reached while no dialog opens, and
// answered as though the user cancelled.

#include "platform/file_dialogs.h"

int32 askForFileToLoad(PathUnit* /*path*/, int32 /*capacity*/, bool* chosen) {
    *chosen = false;
    return 0;
}

int32 askForFileToSave(PathUnit* /*path*/, int32 /*capacity*/, bool* chosen, int32* nameOffset) {
    *chosen = false;
    *nameOffset = 0;
    return 0;
}
