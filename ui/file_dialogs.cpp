#include "ui/file_dialogs.h"

#include "params/parameter_files.h"
#include "platform/file_dialogs.h"

int32 loadParameterFile() {
    PathUnit fileName[kFileNameCapacity] = {};
    bool chosen = false;
    const int32 result = askForFileToLoad(fileName, kFileNameCapacity, &chosen);
    if (!chosen) return result;
    return loadParameterFileAt(fileName);
}

int32 saveParameterFile() {
    PathUnit fileName[kFileNameCapacity] = {};
    bool chosen = false;
    int32 nameOffset = 0;
    const int32 result = askForFileToSave(fileName, kFileNameCapacity, &chosen, &nameOffset);
    if (!chosen) return result;
    return saveParameterFileAt(fileName, fileName + nameOffset);
}
