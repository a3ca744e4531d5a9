#include "platform/files.h"

#include <windows.h>

#include "platform/win/file_handles.h"

namespace {

DWORD accessFor(FileOpening opening) {
    return opening == FileOpening::readExisting ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
}

DWORD dispositionFor(FileOpening opening) {
    switch (opening) {
        case FileOpening::readExisting:
            return OPEN_EXISTING;
        case FileOpening::createEmpty:
            return CREATE_ALWAYS;
        case FileOpening::openOrCreate:
            return OPEN_ALWAYS;
    }
    return OPEN_EXISTING;
}

}  // namespace

int32 openFile(const PathUnit* path, FileOpening opening, PlatformFile* file) {
    // The wide call: the folder may hold characters that the code page lacks.
    return takeOpenedFile(CreateFileW(path, accessFor(opening), 0, nullptr, dispositionFor(opening),
                                      kFileAttributes, nullptr),
                          file);
}

int32 readFromFile(PlatformFile file, void* bytes, int32 size, int32* bytesRead) {
    DWORD count = 0;
    const BOOL read = ReadFile(handleOf(file), bytes, static_cast<DWORD>(size), &count, nullptr);
    *bytesRead = static_cast<int32>(count);
    return read ? 0 : static_cast<int32>(GetLastError());
}

int32 writeToFile(PlatformFile file, const void* bytes, int32 size) {
    DWORD count = 0;
    if (!WriteFile(handleOf(file), bytes, static_cast<DWORD>(size), &count, nullptr)) {
        return static_cast<int32>(GetLastError());
    }
    return count == static_cast<DWORD>(size) ? 0 : ERROR_HANDLE_DISK_FULL;
}

void closeFile(PlatformFile file) { CloseHandle(handleOf(file)); }

int32 fileNameAsStoredText(const PathUnit* name, char* text, int32 capacity) {
    // The bytes that the ANSI save dialog has always given: a character the code
    // page lacks reads as the code page's stand-in.
    if (WideCharToMultiByte(CP_ACP, 0, name, -1, text, capacity, nullptr, nullptr) == 0) {
        return static_cast<int32>(GetLastError());
    }
    return 0;
}
