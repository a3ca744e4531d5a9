/* The memory and environment functions of Darwin's C library that the Mac
   plug-in calls (the compiler's vector headers name the first three). */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif
void* malloc(size_t size);
void* calloc(size_t count, size_t size);
void free(void* block);
int posix_memalign(void** block, size_t alignment, size_t size);
char* getenv(const char* name);
int abs(int value);
#ifdef __cplusplus
}
#endif
