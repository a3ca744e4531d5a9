/* The descriptor calls of Darwin's <unistd.h> that the Mac plug-in makes
   (ssize_t is long). Bound to libSystem. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif
typedef long ssize_t;
ssize_t read(int descriptor, void* buffer, size_t count);
ssize_t write(int descriptor, const void* buffer, size_t count);
int close(int descriptor);
typedef long long off_t;
int ftruncate(int descriptor, off_t length);
#ifdef __cplusplus
}
#endif
