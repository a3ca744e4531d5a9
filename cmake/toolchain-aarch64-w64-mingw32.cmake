# Cross build for Windows on ARM (ARM64) with the machine's clang 14 and the
# MinGW runtime that tools/build-arm64-toolchain.sh builds once, outside the work
# tree, into $LUMIVEIL_ARM64_TOOLCHAIN (default /var/cache/lumiveil/arm64-toolchain).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(LUMIVEIL_MINGW_PREFIX aarch64-w64-mingw32)
if(DEFINED ENV{LUMIVEIL_ARM64_TOOLCHAIN})
  set(LUMIVEIL_ARM64_TOOLCHAIN $ENV{LUMIVEIL_ARM64_TOOLCHAIN})
else()
  set(LUMIVEIL_ARM64_TOOLCHAIN /var/cache/lumiveil/arm64-toolchain)
endif()
if(NOT EXISTS ${LUMIVEIL_ARM64_TOOLCHAIN}/bin/${LUMIVEIL_MINGW_PREFIX}-clang)
  message(FATAL_ERROR "No ARM64 toolchain at ${LUMIVEIL_ARM64_TOOLCHAIN} (tools/build-arm64-toolchain.sh builds it)")
endif()

# The compilers and the resource compiler are the toolchain's wrappers, which
# name the target, the runtime and the linker (lld); the binary tools are LLVM's.
set(CMAKE_C_COMPILER ${LUMIVEIL_ARM64_TOOLCHAIN}/bin/${LUMIVEIL_MINGW_PREFIX}-clang)
set(CMAKE_CXX_COMPILER ${LUMIVEIL_ARM64_TOOLCHAIN}/bin/${LUMIVEIL_MINGW_PREFIX}-clang++)
set(CMAKE_RC_COMPILER ${LUMIVEIL_ARM64_TOOLCHAIN}/bin/${LUMIVEIL_MINGW_PREFIX}-windres)
set(LUMIVEIL_LLVM_BIN /usr/lib/llvm-14/bin)
set(CMAKE_AR ${LUMIVEIL_LLVM_BIN}/llvm-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${LUMIVEIL_LLVM_BIN}/llvm-ranlib CACHE FILEPATH "")
set(CMAKE_OBJCOPY ${LUMIVEIL_LLVM_BIN}/llvm-objcopy CACHE FILEPATH "")
set(CMAKE_STRIP ${LUMIVEIL_LLVM_BIN}/llvm-strip CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH ${LUMIVEIL_ARM64_TOOLCHAIN}/${LUMIVEIL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
