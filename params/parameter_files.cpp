// Neither function shows a message: a failure is returned and the dialog stays as it was.

#include "params/parameter_files.h"

#include <windows.h>

#include "params/current_parameters.h"
#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"
#include "text/text_toolkit.h"

namespace {

HANDLE openForSequentialAccess(const char* path, DWORD access, DWORD disposition) {
    return CreateFileA(path, access, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

}  // namespace

int32 loadParameterFileAt(const char* path) {
    HANDLE file = openForSequentialAccess(path, GENERIC_READ, OPEN_EXISTING);
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

int32 saveParameterFileAt(const char* path, const char* ownName) {
    HANDLE file = openForSequentialAccess(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int32>(GetLastError());

    // The file carries its own name (extension included) over the start of the current one.
    uint8 imageName[kNameBufferSize];
    cStringToLString(ownName, imageName);
    const ParameterBlockHeader header = {kBlockSignature, kBlockKind,  kBlockVersion,
                                         kBlockTag,       kBlockLevel, kSavedFileStamp};
    ParameterFileImage image = encodeBlock(header, currentParameters());
    overwriteImageName(image, imageName);

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
