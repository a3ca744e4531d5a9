// Files by path for the parameter files and the last-used settings file: each
// opened with no sharing and closed by the operation that opened it.
#pragma once

#include <cstdint>

#include "sdk/host_types.h"

#ifdef _WIN32
// Windows' wide paths: a folder may be named after the user in characters that
// the ANSI code page cannot spell.
using PathUnit = wchar_t;
#else
using PathUnit = char;  // UTF-8
#endif

// An open file as the system knows it.
struct PlatformFile {
    intptr_t handle;
};

enum class FileOpening {
    readExisting,  // reading only; the file must exist
    createEmpty,   // reading and writing; made new, or emptied when it exists
    openOrCreate,  // reading and writing; made empty when missing, else as it is
};

// 0 and the open file, or the system's error code.
int32 openFile(const PathUnit* path, FileOpening opening, PlatformFile* file);
// Up to `size` bytes from the current position; 0 and the count read (0 at the
// end), or the system's error code.
int32 readFromFile(PlatformFile file, void* bytes, int32 size, int32* bytesRead);
// 0 only when all `size` bytes were written; a short write is the system's
// disk-full error, never a success.
int32 writeToFile(PlatformFile file, const void* bytes, int32 size);
void closeFile(PlatformFile file);

// A file's own name as the single-byte text a parameter file stores (the
// system's code page on Windows), zero-terminated within capacity bytes: 0, or
// the system's error code when it cannot be converted.
int32 fileNameAsStoredText(const PathUnit* name, char* text, int32 capacity);
