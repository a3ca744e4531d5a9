# LumiveilFilter.8bf: a DLL with one export, ENTRYPOINT, and its resources.
enable_language(RC)

include(${CMAKE_CURRENT_LIST_DIR}/artwork.cmake)
add_custom_target(lumiveil_artwork DEPENDS ${LUMIVEIL_ART_DIR}/about.bmp ${LUMIVEIL_ART_DIR}/band.bmp)

# The version record's numbers, from the VERSION file (cmake/version.cmake).
set(LUMIVEIL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${LUMIVEIL_GENERATED_DIR}/lumiveil_version.h @ONLY)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
  set(LUMIVEIL_RC_DEFINES -DLUMIVEIL_WINARM64=1)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LUMIVEIL_RC_DEFINES -DLUMIVEIL_WIN64=1)
else()
  set(LUMIVEIL_RC_DEFINES -DLUMIVEIL_WIN32=1)
endif()

# The side of the platform interface this build is for.
set(LUMIVEIL_PLATFORM_SOURCES ${LUMIVEIL_PLATFORM_WINDOWS_SOURCES})

# The module's code as objects, shared by the module and the Windows unit tests.
add_library(lumiveil_module_objects OBJECT ${LUMIVEIL_MODULE_SOURCES} ${LUMIVEIL_PLATFORM_SOURCES})
target_include_directories(lumiveil_module_objects PUBLIC ${CMAKE_SOURCE_DIR})
lumiveil_warnings(lumiveil_module_objects)

# The code that goes into the module is built with debug information, which the
# link below moves out of the shipped file, and names its source files relative to
# the source folder: the module's bytes depend on the sources alone, not on where
# they were built.
foreach(target lumiveil_portable lumiveil_module_objects)
  target_compile_options(${target} PRIVATE -g -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
endforeach()

add_library(LumiveilFilter MODULE $<TARGET_OBJECTS:lumiveil_module_objects> resources/lumiveil.rc host/lumiveil.def)
add_dependencies(LumiveilFilter lumiveil_artwork)
set_target_properties(LumiveilFilter PROPERTIES PREFIX "" SUFFIX ".8bf")
target_include_directories(LumiveilFilter PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(LumiveilFilter PRIVATE lumiveil_portable user32 gdi32 comdlg32 kernel32)
# The C and C++ runtimes are linked in, so the module imports system DLLs only.
# clang (ARM64) has only static runtimes to link, and ARM64 has no stdcall names to fix up.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  target_link_options(LumiveilFilter PRIVATE -static)
else()
  target_link_options(LumiveilFilter PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--enable-stdcall-fixup)
endif()
# A DLL of the Windows GUI subsystem, like the hosts that load it, with no link
# time in its headers (the time stamps read 0).
target_link_options(LumiveilFilter PRIVATE -Wl,--subsystem,windows -Wl,--no-insert-timestamp)

# What is shipped is the stripped module. Its debug information stays beside it in
# the build folder, LumiveilFilter.8bf.debug, which the module names (by file name
# and checksum) for a debugger to find. objcopy stamps the files it writes with the
# time unless SOURCE_DATE_EPOCH gives it one: 0, as the linker wrote.
set(LUMIVEIL_MODULE_FILE $<TARGET_FILE:LumiveilFilter>)
set(LUMIVEIL_OBJCOPY ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
add_custom_command(TARGET LumiveilFilter POST_BUILD
  COMMAND ${LUMIVEIL_OBJCOPY} --only-keep-debug ${LUMIVEIL_MODULE_FILE} ${LUMIVEIL_MODULE_FILE}.debug
  COMMAND ${LUMIVEIL_OBJCOPY} --strip-all --add-gnu-debuglink=${LUMIVEIL_MODULE_FILE}.debug ${LUMIVEIL_MODULE_FILE}
  COMMENT "Moving the debug information of LumiveilFilter.8bf into LumiveilFilter.8bf.debug")
set_source_files_properties(resources/lumiveil.rc PROPERTIES
  OBJECT_DEPENDS "${LUMIVEIL_ART_DIR}/about.bmp;${LUMIVEIL_ART_DIR}/band.bmp;${LUMIVEIL_GENERATED_DIR}/lumiveil_version.h")
set(CMAKE_RC_FLAGS
    "${CMAKE_RC_FLAGS} ${LUMIVEIL_RC_DEFINES} -I${LUMIVEIL_ART_DIR} -I${LUMIVEIL_GENERATED_DIR} -I${CMAKE_SOURCE_DIR}")
