# What the GEGL operation's Windows DLL is built against: the headers of GEGL 0.4.62,
# babl and GLib as configured for Windows, and import libraries for the DLLs that
# GIMP 3 for Windows ships (libgegl-0.4-0.dll, libbabl-0.1-0.dll, libgobject-2.0-0.dll,
# libglib-2.0-0.dll, libgmodule-2.0-0.dll), made by dlltool from those libraries'
# export lists. Both come from the Windows GEGL that tools/build-gegl-windows.sh
# builds once from Debian 13's source packages; one x64 build serves the ARM64 DLL as
# well, since the headers of Windows x64 and ARM64 agree and the imports are by name.
# Defines the interface target lumiveil_gegl_api, or sets LUMIVEIL_GEGL_API_FOUND to
# FALSE and says why.
if(DEFINED ENV{LUMIVEIL_GEGL_WINDOWS})
  set(LUMIVEIL_GEGL_WINDOWS $ENV{LUMIVEIL_GEGL_WINDOWS})
else()
  set(LUMIVEIL_GEGL_WINDOWS /var/cache/lumiveil/gegl-windows)
endif()
set(stack ${LUMIVEIL_GEGL_WINDOWS}/x86_64-w64-mingw32)
set(LUMIVEIL_GEGL_API_FOUND FALSE)
if(NOT EXISTS ${LUMIVEIL_GEGL_WINDOWS}/.lumiveil-ready)
  message(STATUS "GEGL operation: skipped, no Windows GEGL at ${LUMIVEIL_GEGL_WINDOWS} (tools/build-gegl-windows.sh, once)")
  return()
endif()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
  set(dlltool ${LUMIVEIL_LLVM_BIN}/llvm-dlltool -m arm64)
else()
  find_program(LUMIVEIL_DLLTOOL ${LUMIVEIL_MINGW_PREFIX}-dlltool REQUIRED)
  set(dlltool ${LUMIVEIL_DLLTOOL})
endif()

# Made when configuring, and again when an export list changes.
set(import_dir ${CMAKE_CURRENT_BINARY_DIR}/import)
file(MAKE_DIRECTORY ${import_dir})
set(import_libraries)
foreach(dll libgegl-0.4-0 libbabl-0.1-0 libgobject-2.0-0 libglib-2.0-0 libgmodule-2.0-0)
  set(definitions ${stack}/def/${dll}.def)
  set(library ${import_dir}/${dll}.dll.a)
  execute_process(COMMAND ${dlltool} -d ${definitions} -D ${dll}.dll -l ${library}
    RESULT_VARIABLE failed ERROR_VARIABLE complaint)
  if(failed)
    message(FATAL_ERROR "dlltool made no import library of ${dll}.dll: ${complaint}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${definitions})
  list(APPEND import_libraries ${library})
endforeach()

add_library(lumiveil_gegl_api INTERFACE)
target_include_directories(lumiveil_gegl_api SYSTEM INTERFACE ${stack}/include/gegl-0.4
  ${stack}/include/babl-0.1 ${stack}/include/glib-2.0 ${stack}/lib/glib-2.0/include)
target_link_libraries(lumiveil_gegl_api INTERFACE ${import_libraries})
set(LUMIVEIL_GEGL_API_FOUND TRUE)
message(STATUS "GEGL operation: building the Windows DLL against the Windows GEGL at ${LUMIVEIL_GEGL_WINDOWS}")
