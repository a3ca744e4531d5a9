// Neither function shows a message: a failure is returned and the dialog stays as it was.

#include "params/parameter_files.h"

#include <windows.h>

#include "params/current_parameters.h"
#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"
#include "text/text_toolkit.h"

namespace {

// A name's characters in the system's code page, as the image stores them: at
// most three bytes a UTF-16 unit (the code page may be UTF-8), so a name that
// fits the dialog's buffer fits here.
constexpr int kCodePageNameCapacity = 3 * kFileNameCapacity;

// The wide call: the folder may hold characters that the code page lacks.
HANDLE openForSequentialAccess(const wchar_t* path, DWORD access, DWORD disposition) {
    return CreateFileW(path, access, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

}  // namespace

int32 loadParameterFileAt(const wchar_t* path) {
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

int32 saveParameterFileAt(const wchar_t* path, const wchar_t* ownName) {
    // The name field holds single-byte text: the file's own name in the code page,
    // the bytes that the ANSI save dialog has always given (a character the code
    // page lacks reads as the code page's stand-in). Converted before the file is
    // made, so a name that cannot be converted leaves nothing behind.
    char codePageName[kCodePageNameCapacity] = "";
    if (WideCharToMultiByte(CP_ACP, 0, ownName, -1, codePageName, kCodePageNameCapacity, nullptr,
                            nullptr) == 0) {
        return static_cast<int32>(GetLastError());
    }
    HANDLE file = openForSequentialAccess(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int32>(GetLastError());

    // The file carries its own name (extension included) over the start of the current one.
    uint8 imageName[kNameBufferSize];
    cStringToLString(codePageName, imageName);
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
