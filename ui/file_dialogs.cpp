#include "ui/file_dialogs.h"

#include <windows.h>

#include <commdlg.h>  // after windows.h, which it builds on

#include <cstring>

#include "params/parameter_files.h"

namespace {

constexpr DWORD kFileNameCapacity = 256;
// The size of the record as the common dialogs have always accepted it.
const DWORD kOpenFileNameSize = OPENFILENAME_SIZE_VERSION_400A;
constexpr DWORD kLoadFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;                        // 0x1004
constexpr DWORD kSaveFlags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;  // 0x806
// Filter lists: pairs of zero-terminated texts, the list ends with an empty one.
constexpr char kLoadFilter[] = "Parameters (*.prm)\0*.prm\0Any (*.*)\0*.*\0";
constexpr char kSaveFilter[] = "Parameters (*.prm)\0*.prm\0";
constexpr char kDefaultExtension[] = "prm";

void describeFileDialog(OPENFILENAMEA& dialog, char* fileName, const char* filter, DWORD flags) {
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = kOpenFileNameSize;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = kFileNameCapacity;
    dialog.Flags = flags;
    dialog.lpstrDefExt = kDefaultExtension;
}

}  // namespace

int32 loadParameterFile() {
    char fileName[kFileNameCapacity] = "";
    OPENFILENAMEA dialog;
    describeFileDialog(dialog, fileName, kLoadFilter, kLoadFlags);
    if (!GetOpenFileNameA(&dialog)) return 0;
    return loadParameterFileAt(fileName);
}

int32 saveParameterFile() {
    char fileName[kFileNameCapacity] = "";
    OPENFILENAMEA dialog;
    describeFileDialog(dialog, fileName, kSaveFilter, kSaveFlags);
    if (!GetSaveFileNameA(&dialog)) return 0;
    const DWORD nameOffset = dialog.nFileOffset < kFileNameCapacity ? dialog.nFileOffset : 0;
    return saveParameterFileAt(fileName, fileName + nameOffset);
}
