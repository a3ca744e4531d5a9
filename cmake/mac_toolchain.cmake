# Cross build of one slice of the Mac plug-in bundle with Debian's clang and
# ld64.lld, shared by toolchain-x86_64-apple-macos.cmake and
# toolchain-arm64-apple-macos.cmake, which set LUMIVEIL_MAC_ARCH and
# LUMIVEIL_MAC_MINIMUM first.
#
# No Apple SDK exists here. The module uses a handful of C library functions and
# no C++ library, so it is built against mac-sysroot/ beside this file: our own
# declarations of those functions with Darwin's types, and hand-written .tbd
# stubs of the system libraries that the linker binds them to (mac_module.cmake).
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR ${LUMIVEIL_MAC_ARCH})
set(LUMIVEIL_MAC_TARGET ${LUMIVEIL_MAC_ARCH}-apple-macos${LUMIVEIL_MAC_MINIMUM})
set(LUMIVEIL_MAC_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/mac-sysroot)

find_program(LUMIVEIL_CLANG NAMES clang-14 clang REQUIRED)
find_program(LUMIVEIL_CLANGXX NAMES clang++-14 clang++ REQUIRED)
find_program(LUMIVEIL_LD64 NAMES ld64.lld-14 ld64.lld REQUIRED)
find_program(LUMIVEIL_LIPO NAMES llvm-lipo-14 llvm-lipo REQUIRED)
set(CMAKE_C_COMPILER ${LUMIVEIL_CLANG})
set(CMAKE_CXX_COMPILER ${LUMIVEIL_CLANGXX})
set(CMAKE_C_COMPILER_TARGET ${LUMIVEIL_MAC_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${LUMIVEIL_MAC_TARGET})
# CMake's own Darwin settings would ask for an SDK and an -arch flag: the target
# triple says both.
set(CMAKE_OSX_ARCHITECTURES "" CACHE STRING "" FORCE)
set(CMAKE_OSX_DEPLOYMENT_TARGET "" CACHE STRING "" FORCE)
set(CMAKE_OSX_SYSROOT "" CACHE PATH "" FORCE)
# Nothing can be linked before the stubs are named, so the compiler checks stop at objects.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH ${LUMIVEIL_MAC_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
