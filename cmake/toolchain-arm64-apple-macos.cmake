# Cross build of the Mac plug-in's arm64 slice (macOS 11.0 and later: the first on Apple silicon).
set(LUMIVEIL_MAC_ARCH arm64)
set(LUMIVEIL_MAC_MINIMUM 11.0)
include(${CMAKE_CURRENT_LIST_DIR}/mac_toolchain.cmake)
