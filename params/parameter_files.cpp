// Neither function shows a message: a failure is returned and the dialog stays as it was.

#include "params/parameter_files.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "params/current_parameters.h"
#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"
#include "ui/text_toolkit.h"

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

HANDLE openForSequentialAccess(const char* path, DWORD access, DWORD disposition) {
    return CreateFileA(path, access, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

}  // namespace

int32 loadParameterFile() {
    char fileName[kFileNameCapacity] = "";
    OPENFILENAMEA dialog;
    describeFileDialog(dialog, fileName, kLoadFilter, kLoadFlags);
    if (!GetOpenFileNameA(&dialog)) return 0;

    HANDLE file = openForSequentialAccess(fileName, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int32>(GetLastError());
    int32 result = 0;
    ParameterFileImage image;
    DWORD bytesRead = 0;
    if (!ReadFile(file, image.bytes, sizeof image.bytes, &bytesRead, nullptr)) {
        result = static_cast<int32>(GetLastError());
    } else {
        int32 stamp = 0;  // dropped: only the settings file keeps stamps
        ParameterSet decoded = {};
        if (decodeImage(image, static_cast<int32>(bytesRead), stamp, decoded)) {
            copyParameterSet(decoded, currentParameters());
            clampSettings(currentParameters());
        }
    }
    CloseHandle(file);
    return result;
}

int32 saveParameterFile() {
    char fileName[kFileNameCapacity] = "";
    OPENFILENAMEA dialog;
    describeFileDialog(dialog, fileName, kSaveFilter, kSaveFlags);
    if (!GetSaveFileNameA(&dialog)) return 0;

    HANDLE file = openForSequentialAccess(fileName, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int32>(GetLastError());

    // The file carries its own name (extension included) over the start of the current one.
    uint8 ownName[kNameBufferSize];
    const DWORD nameOffset = dialog.nFileOffset < kFileNameCapacity ? dialog.nFileOffset : 0;
    cStringToLString(fileName + nameOffset, ownName);
    const ParameterBlockHeader header = {kBlockSignature, kBlockKind, kBlockVersion,
                                         kBlockTag,       kBlockLevel, kSavedFileStamp};
    ParameterFileImage image = encodeBlock(header, currentParameters());
    overwriteImageName(image, ownName);

    int32 result = 0;
    DWORD bytesWritten = 0;
    if (!WriteFile(file, image.bytes, sizeof image.bytes, &bytesWritten, nullptr)) {
        result = static_cast<int32>(GetLastError());
    } else if (bytesWritten != sizeof image.bytes) {
        result = ERROR_HANDLE_DISK_FULL;
    }
    CloseHandle(file);
    return result;
}
