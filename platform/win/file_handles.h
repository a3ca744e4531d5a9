// A file of the platform interface is its Windows file handle.
#pragma once

#include <windows.h>

#include "platform/files.h"

inline HANDLE handleOf(PlatformFile file) { return reinterpret_cast<HANDLE>(file.handle); }
inline PlatformFile fileOf(HANDLE handle) {
    return PlatformFile{reinterpret_cast<intptr_t>(handle)};
}

// Sequential access, shared with no one.
constexpr DWORD kFileAttributes = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;

// 0 and the file, or GetLastError's code, for a handle CreateFile returned.
inline int32 takeOpenedFile(HANDLE handle, PlatformFile* file) {
    if (handle == INVALID_HANDLE_VALUE) return static_cast<int32>(GetLastError());
    *file = fileOf(handle);
    return 0;
}
