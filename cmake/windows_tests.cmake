# module_tests.exe: unit tests of the module's Windows edge (host memory, files,
# fields) and the kernel tests, cross-built with GoogleTest and run under Wine, so
# that every row routine runs as the module's own compiler built it, at both widths.
set(LUMIVEIL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${LUMIVEIL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB LUMIVEIL_WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
list(APPEND LUMIVEIL_WINDOWS_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/unit/kernel_reference_test.cpp)
if(LUMIVEIL_WINDOWS_TEST_SOURCES)
  add_executable(module_tests ${LUMIVEIL_WINDOWS_TEST_SOURCES} $<TARGET_OBJECTS:lumiveil_module_objects>
                 resources/lumiveil.rc)
  add_dependencies(module_tests lumiveil_artwork)
  target_include_directories(module_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(module_tests PRIVATE lumiveil_portable gtest gtest_main user32 gdi32 comdlg32 comctl32)
  target_link_options(module_tests PRIVATE -static -static-libgcc -static-libstdc++)
  lumiveil_warnings(module_tests)
endif()
