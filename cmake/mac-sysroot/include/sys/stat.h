/* mkdir() of Darwin's <sys/stat.h> (mode_t is a 16-bit unsigned). Bound to libSystem. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif
typedef unsigned short mode_t;
int mkdir(const char* path, mode_t mode);
#ifdef __cplusplus
}
#endif
