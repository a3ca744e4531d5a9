# End-to-end tests: every tests/e2e/test_*.py, once per module width, run by ctest
# in the native build. They drive build/win32 and build/win64 under Wine.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(LUMIVEIL_BUILD_ROOT ${CMAKE_SOURCE_DIR}/build CACHE PATH "Folder holding win32/ and win64/ builds")
option(LUMIVEIL_E2E "Register the end-to-end tests under Wine" ON)

if(LUMIVEIL_E2E)
  file(GLOB e2e_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/test_*.py)
  foreach(script ${e2e_scripts})
    get_filename_component(name ${script} NAME_WE)
    foreach(arch win32 win64)
      add_test(NAME e2e.${arch}.${name} COMMAND Python3::Interpreter ${script})
      set_tests_properties(e2e.${arch}.${name} PROPERTIES
        ENVIRONMENT "LUMIVEIL_ARCH=${arch};LUMIVEIL_BUILD=${LUMIVEIL_BUILD_ROOT};LUMIVEIL_SOURCE=${CMAKE_SOURCE_DIR};LUMIVEIL_NATIVE_BUILD=${CMAKE_BINARY_DIR}"
        TIMEOUT 600 LABELS e2e)
    endforeach()
  endforeach()
endif()
