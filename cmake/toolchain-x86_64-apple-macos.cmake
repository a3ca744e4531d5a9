# Cross build of the Mac plug-in's x86_64 slice (macOS 10.13 and later).
set(LUMIVEIL_MAC_ARCH x86_64)
set(LUMIVEIL_MAC_MINIMUM 10.13)
include(${CMAKE_CURRENT_LIST_DIR}/mac_toolchain.cmake)
