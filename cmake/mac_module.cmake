# One slice of the Mac plug-in: LumiveilFilter, a Mach-O bundle (MH_BUNDLE) that
# exports _PluginMain alone and imports from the system libraries stubbed in
# mac-sysroot/. tools/make_mac_bundle.py merges the two slices into the bundle.

set(LUMIVEIL_MAC_STUBS ${LUMIVEIL_MAC_SYSROOT}/libSystem.tbd ${LUMIVEIL_MAC_SYSROOT}/libobjc.tbd
                       ${LUMIVEIL_MAC_SYSROOT}/CoreFoundation.tbd ${LUMIVEIL_MAC_SYSROOT}/CoreGraphics.tbd
                       ${LUMIVEIL_MAC_SYSROOT}/AppKit.tbd)

# The About picture and the dialog's band, drawn as for the Windows modules and
# compiled in: the bundle has no resource table for them.
include(${CMAKE_CURRENT_LIST_DIR}/artwork.cmake)
set(LUMIVEIL_MAC_PICTURES ${CMAKE_BINARY_DIR}/generated/mac_pictures.cpp)
add_custom_command(
  OUTPUT ${LUMIVEIL_MAC_PICTURES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/embed_pictures.py ${LUMIVEIL_MAC_PICTURES}
          ${LUMIVEIL_ART_DIR}/about.bmp ${LUMIVEIL_ART_DIR}/band.bmp
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/embed_pictures.py ${LUMIVEIL_ART_DIR}/about.bmp
          ${LUMIVEIL_ART_DIR}/band.bmp
  COMMENT "Compiling in the module's artwork")

add_library(LumiveilFilter MODULE ${LUMIVEIL_MAC_MODULE_SOURCES} ${LUMIVEIL_MAC_PICTURES})
set_target_properties(LumiveilFilter PROPERTIES PREFIX "" SUFFIX "")
target_include_directories(LumiveilFilter PRIVATE ${CMAKE_SOURCE_DIR})
lumiveil_warnings(LumiveilFilter)
# The host finds the entry by the name the PiPL gives: ENTRYPOINT on Windows,
# PluginMain ('mi64', 'ma64') on the Mac.
target_compile_definitions(LumiveilFilter PRIVATE ENTRYPOINT=PluginMain
  LUMIVEIL_RELEASE_VERSION="${LUMIVEIL_VERSION}")
# Source paths are named relative to the source folder and no debug information is
# kept: the slice's bytes depend on the sources alone.
target_compile_options(LumiveilFilter PRIVATE -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
# No host C or C++ headers: only the compiler's own (stddef.h, stdint.h, float.h,
# the vector intrinsics) and the sysroot's declarations. No C++ runtime: no
# exceptions, no type information, and function-local statics without guards
# (the host calls the module on one thread).
target_compile_options(LumiveilFilter PRIVATE -nostdlibinc -nostdinc++
  -isystem ${LUMIVEIL_MAC_SYSROOT}/include -fno-exceptions -fno-rtti -fno-threadsafe-statics)
target_link_options(LumiveilFilter PRIVATE
  -fuse-ld=${LUMIVEIL_LD64} -nostdlib
  -Wl,-platform_version,macos,${LUMIVEIL_MAC_MINIMUM},${LUMIVEIL_MAC_MINIMUM}
  # Signed ad hoc, as Apple silicon requires of all code and as lld does for arm64 anyway.
  -Wl,-adhoc_codesign
  -Wl,-exported_symbol,_PluginMain -Wl,-dead_strip)
target_link_libraries(LumiveilFilter PRIVATE ${LUMIVEIL_MAC_STUBS})
