/* The string functions of Darwin's C library that the Mac plug-in calls, with
   Darwin's types (size_t is unsigned long). Bound to libSystem (../libSystem.tbd). */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif
void* memcpy(void* destination, const void* source, size_t count);
void* memmove(void* destination, const void* source, size_t count);
void* memset(void* destination, int value, size_t count);
int memcmp(const void* first, const void* second, size_t count);
size_t strlen(const char* text);
char* strncpy(char* destination, const char* source, size_t count);
#ifdef __cplusplus
}
#endif
