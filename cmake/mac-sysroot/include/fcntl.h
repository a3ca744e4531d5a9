/* open() and its flags as Darwin's <fcntl.h> defines them. Bound to libSystem. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif
#define O_RDONLY 0x0000
#define O_WRONLY 0x0001
#define O_RDWR 0x0002
#define O_NONBLOCK 0x0004
#define O_SHLOCK 0x0010 /* a shared lock on the file, taken at open */
#define O_EXLOCK 0x0020 /* an exclusive lock on the file, taken at open */
#define O_CREAT 0x0200
#define O_TRUNC 0x0400
#define O_EXCL 0x0800
#define O_CLOEXEC 0x01000000
int open(const char* path, int flags, ...);
#ifdef __cplusplus
}
#endif
