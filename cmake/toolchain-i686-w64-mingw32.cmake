# Cross build for 32-bit Windows (x86) with mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LUMIVEIL_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMIVEIL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMIVEIL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMIVEIL_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMIVEIL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Every Windows version in use requires SSE2; x87 arithmetic would also make the
# single-precision text conversions differ from the native build.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
