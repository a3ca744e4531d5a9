# LumiveilFilter.8bf: a DLL with one export, ENTRYPOINT, and its resources.
enable_language(RC)

find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The artwork (About picture, dialog band) is generated, byte for byte the same on every build.
set(LUMIVEIL_ART_DIR ${CMAKE_BINARY_DIR}/artwork)
add_custom_command(
  OUTPUT ${LUMIVEIL_ART_DIR}/about.bmp ${LUMIVEIL_ART_DIR}/band.bmp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMIVEIL_ART_DIR}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_artwork.py ${LUMIVEIL_ART_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_artwork.py
  COMMENT "Generating the module's artwork")
add_custom_target(lumiveil_artwork DEPENDS ${LUMIVEIL_ART_DIR}/about.bmp ${LUMIVEIL_ART_DIR}/band.bmp)

# The version record's numbers, from the VERSION file (cmake/version.cmake).
set(LUMIVEIL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${LUMIVEIL_GENERATED_DIR}/lumiveil_version.h @ONLY)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LUMIVEIL_RC_DEFINES -DLUMIVEIL_WIN64=1)
else()
  set(LUMIVEIL_RC_DEFINES -DLUMIVEIL_WIN32=1)
endif()

# The module's code as objects, shared by the module and the Windows unit tests.
add_library(lumiveil_module_objects OBJECT ${LUMIVEIL_MODULE_SOURCES})
target_include_directories(lumiveil_module_objects PUBLIC ${CMAKE_SOURCE_DIR})
lumiveil_warnings(lumiveil_module_objects)

add_library(LumiveilFilter MODULE $<TARGET_OBJECTS:lumiveil_module_objects> resources/lumiveil.rc host/lumiveil.def)
add_dependencies(LumiveilFilter lumiveil_artwork)
set_target_properties(LumiveilFilter PROPERTIES PREFIX "" SUFFIX ".8bf")
target_include_directories(LumiveilFilter PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(LumiveilFilter PRIVATE lumiveil_portable user32 gdi32 comdlg32 kernel32)
# The C and C++ runtimes are linked in, so the module imports system DLLs only.
target_link_options(LumiveilFilter PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--enable-stdcall-fixup)
set_source_files_properties(resources/lumiveil.rc PROPERTIES
  OBJECT_DEPENDS "${LUMIVEIL_ART_DIR}/about.bmp;${LUMIVEIL_ART_DIR}/band.bmp;${LUMIVEIL_GENERATED_DIR}/lumiveil_version.h")
set(CMAKE_RC_FLAGS
    "${CMAKE_RC_FLAGS} ${LUMIVEIL_RC_DEFINES} -I${LUMIVEIL_ART_DIR} -I${LUMIVEIL_GENERATED_DIR} -I${CMAKE_SOURCE_DIR}")
