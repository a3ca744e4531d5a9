# End-to-end tests: every tests/e2e/test_*.py, once per module width, run by ctest
# in the native build. They drive build/win32 and build/win64, under Wine unless
# the script says "# needs-wine: no" (those read the built modules directly).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(LUMIVEIL_BUILD_ROOT ${CMAKE_SOURCE_DIR}/build CACHE PATH "Folder holding win32/ and win64/ builds")
option(LUMIVEIL_E2E "Register the end-to-end tests" ON)

# Wine runs 32-bit Windows programs as 32-bit Linux processes; kernels built or
# booted without IA-32 emulation refuse those, and the 32-bit module can then
# only be checked without running it.
execute_process(COMMAND /lib/ld-linux.so.2 --version RESULT_VARIABLE ia32_status
                OUTPUT_QUIET ERROR_QUIET)
if(ia32_status EQUAL 0)
  set(LUMIVEIL_WINE_ARCHS win32 win64)
else()
  set(LUMIVEIL_WINE_ARCHS win64)
  message(STATUS "This machine cannot run 32-bit programs: the 32-bit module's Wine tests are not registered")
endif()

# Tests under Wine share the project's prefix, whose one wineserver owns the
# keyboard focus of every dialog: they take turns, while native tests run beside them.
function(lumiveil_add_e2e name script arch needs_wine)
  add_test(NAME e2e.${arch}.${name} COMMAND Python3::Interpreter ${script})
  set_tests_properties(e2e.${arch}.${name} PROPERTIES
    ENVIRONMENT "LUMIVEIL_ARCH=${arch};LUMIVEIL_BUILD=${LUMIVEIL_BUILD_ROOT};LUMIVEIL_SOURCE=${CMAKE_SOURCE_DIR};LUMIVEIL_NATIVE_BUILD=${CMAKE_BINARY_DIR}"
    TIMEOUT 900 LABELS e2e)
  if(needs_wine)
    set_tests_properties(e2e.${arch}.${name} PROPERTIES RESOURCE_LOCK wine)
  endif()
endfunction()

if(LUMIVEIL_E2E)
  file(GLOB e2e_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/test_*.py)
  foreach(script ${e2e_scripts})
    get_filename_component(name ${script} NAME_WE)
    file(STRINGS ${script} wine_free REGEX "^# needs-wine: no")
    if(wine_free)
      set(archs win32 win64)
      set(needs_wine OFF)
    else()
      set(archs ${LUMIVEIL_WINE_ARCHS})
      set(needs_wine ON)
    endif()
    foreach(arch ${archs})
      lumiveil_add_e2e(${name} ${script} ${arch} ${needs_wine})
    endforeach()
  endforeach()

  # The module's own unit tests, cross-built, run under Wine like the module.
  foreach(arch ${LUMIVEIL_WINE_ARCHS})
    add_test(NAME win.${arch}.module_tests
             COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-run ${LUMIVEIL_BUILD_ROOT}/${arch}/module_tests.exe)
    set_tests_properties(win.${arch}.module_tests PROPERTIES TIMEOUT 300 LABELS win RESOURCE_LOCK wine)
  endforeach()
endif()
