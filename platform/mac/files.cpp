// Files on the Mac through the C library's descriptors. "Shared with no one" is
// an exclusive lock taken by open() itself (O_EXLOCK), refused at once
// (O_NONBLOCK) when another process holds one; a file to be emptied is emptied
// only once the lock is held, so a file in use is never cut.

#include "platform/files.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/mac/core_foundation.h"

namespace {

constexpr int kOpenFlags = O_EXLOCK | O_NONBLOCK | O_CLOEXEC;
constexpr int kNewFileMode = 0644;  // rw-r--r--, as the user's umask allows

int descriptorOf(PlatformFile file) { return static_cast<int>(file.handle); }

int openFlagsFor(FileOpening opening) {
    switch (opening) {
        case FileOpening::readExisting:
            return O_RDONLY;
        case FileOpening::createEmpty:
        case FileOpening::openOrCreate:
            return O_RDWR | O_CREAT;
    }
    return O_RDONLY;
}

}  // namespace

int32 openFile(const PathUnit* path, FileOpening opening, PlatformFile* file) {
    const int descriptor = open(path, openFlagsFor(opening) | kOpenFlags, kNewFileMode);
    if (descriptor < 0) return errno;
    if (opening == FileOpening::createEmpty && ftruncate(descriptor, 0) != 0) {
        const int32 error = errno;
        close(descriptor);
        return error;
    }
    file->handle = descriptor;
    return 0;
}

int32 readFromFile(PlatformFile file, void* bytes, int32 size, int32* bytesRead) {
    int32 total = 0;
    while (total < size) {
        const ssize_t count =
            read(descriptorOf(file), static_cast<char*>(bytes) + total, size_t(size - total));
        if (count < 0) return errno;
        if (count == 0) break;  // the end of the file
        total += static_cast<int32>(count);
    }
    *bytesRead = total;
    return 0;
}

int32 writeToFile(PlatformFile file, const void* bytes, int32 size) {
    int32 total = 0;
    while (total < size) {
        const ssize_t count = write(descriptorOf(file), static_cast<const char*>(bytes) + total,
                                    size_t(size - total));
        if (count < 0) return errno;
        if (count == 0) return ENOSPC;  // a short write is a full disk, never a success
        total += static_cast<int32>(count);
    }
    return 0;
}

void closeFile(PlatformFile file) { close(descriptorOf(file)); }

// The name in Windows Latin 1, the single-byte text Windows writes for Western
// names, so a parameter file saved on the Mac carries the bytes Windows would.
int32 fileNameAsStoredText(const PathUnit* name, char* text, int32 capacity) {
    if (capacity <= 0) return ENAMETOOLONG;
    CFStringRef string = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
    if (!string) return EILSEQ;
    const bool converted =
        CFStringGetCString(string, text, capacity, kCFStringEncodingWindowsLatin1) != 0;
    CFRelease(string);
    if (!converted) {
        text[0] = '\0';
        return std::strlen(name) >= size_t(capacity) ? ENAMETOOLONG : EILSEQ;
    }
    return 0;
}
