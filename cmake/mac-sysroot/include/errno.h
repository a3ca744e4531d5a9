/* errno as Darwin's <errno.h> gives it: the calling thread's value, through
   __error(). The values the Mac plug-in tells apart. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif
int* __error(void);
#define errno (*__error())
#define ENOENT 2
#define EACCES 13
#define EEXIST 17
#define ENOSPC 28
#define EROFS 30
#define EWOULDBLOCK 35
#define ENAMETOOLONG 63
#define ENOTSUP 45
#define EILSEQ 92
#ifdef __cplusplus
}
#endif
