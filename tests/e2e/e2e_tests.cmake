# End-to-end tests: every tests/e2e/test_*.py, once per module width, run by ctest
# in the native build. They drive build/win32, build/win64 and build/win-arm64, under Wine unless
# the script says "# needs-wine: no" (those read the built modules directly).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(LUMIVEIL_BUILD_ROOT ${CMAKE_SOURCE_DIR}/build CACHE PATH "Folder holding win32/ and win64/ builds")
option(LUMIVEIL_E2E "Register the end-to-end tests" ON)

# Every width is always registered. Wine runs 32-bit Windows programs as 32-bit
# Linux processes; where the kernel refuses those and no emulator is registered
# for them (tools/install-deps.sh registers qemu's), the 32-bit tests say why and
# fail, or count as skipped where this machine cannot register one (not root, no
# binfmt_misc) and nothing requires them (tests/e2e/skips.py): never as passed.
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/ia32-status OUTPUT_VARIABLE ia32_status
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
message(STATUS "32-bit programs here: ${ia32_status}")

# Each width's tests have a Wine prefix of their own, whose one wineserver owns the
# keyboard focus of every dialog: the tests of one prefix take turns, while the
# other prefixes' and the native tests run beside them.
function(lumiveil_test_environment test arch prefix)
  set_tests_properties(${test} PROPERTIES ENVIRONMENT
    "LUMIVEIL_ARCH=${arch};LUMIVEIL_BUILD=${LUMIVEIL_BUILD_ROOT};LUMIVEIL_SOURCE=${CMAKE_SOURCE_DIR};LUMIVEIL_NATIVE_BUILD=${CMAKE_BINARY_DIR};LUMIVEIL_WINEPREFIX=${LUMIVEIL_BUILD_ROOT}/${prefix}")
endfunction()

# The emulated ARM64 tests take about twice as long as the others: in one prefix
# they would outlast the rest of the suite, so these run in a second one beside it.
# So do the longest 32-bit ones where the 32-bit Wine runs emulated too.
set(LUMIVEIL_ARM64_SECOND_PREFIX test_plughost test_dialog test_about test_host_profiles)
set(LUMIVEIL_WIN32_SECOND_PREFIX test_dialog_script test_dialog)
if(ia32_status MATCHES "^emulated")
  set(LUMIVEIL_WIN32_EMULATED ON)
endif()

function(lumiveil_add_e2e name script arch needs_wine)
  set(prefix wine-${arch})
  if(arch STREQUAL "win-arm64" AND name IN_LIST LUMIVEIL_ARM64_SECOND_PREFIX)
    set(prefix wine-${arch}-second)
  endif()
  if(arch STREQUAL "win32" AND LUMIVEIL_WIN32_EMULATED AND name IN_LIST LUMIVEIL_WIN32_SECOND_PREFIX)
    set(prefix wine-${arch}-second)
  endif()
  add_test(NAME e2e.${arch}.${name} COMMAND Python3::Interpreter ${script})
  set_tests_properties(e2e.${arch}.${name} PROPERTIES TIMEOUT 900 LABELS e2e SKIP_RETURN_CODE 77)
  lumiveil_test_environment(e2e.${arch}.${name} ${arch} ${prefix})
  if(needs_wine)
    set_tests_properties(e2e.${arch}.${name} PROPERTIES RESOURCE_LOCK ${prefix})
  endif()
  # The emulated chains are the suite's longest: started first, they run beside
  # everything else rather than after it.
  if(arch STREQUAL "win-arm64" OR (arch STREQUAL "win32" AND LUMIVEIL_WIN32_EMULATED))
    set_tests_properties(e2e.${arch}.${name} PROPERTIES COST 1000)
  endif()
endfunction()

if(LUMIVEIL_E2E)
  file(GLOB e2e_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/test_*.py)
  foreach(script ${e2e_scripts})
    get_filename_component(name ${script} NAME_WE)
    file(STRINGS ${script} wine_free REGEX "^# needs-wine: no")
    if(wine_free)
      set(needs_wine OFF)
    else()
      set(needs_wine ON)
    endif()
    foreach(arch win32 win64 win-arm64)
      lumiveil_add_e2e(${name} ${script} ${arch} ${needs_wine})
    endforeach()
  endforeach()

  # The module's own unit tests, cross-built, run under Wine like the module; the
  # ARM64 ones under emulated arm64 Wine (tools/arm64-wine). A missing program fails;
  # a width that cannot run here counts as skipped only where this machine cannot
  # make it run (tests/e2e/skips.py).
  foreach(arch win32 win64 win-arm64)
    add_test(NAME win.${arch}.module_tests
             COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/run_module_tests.py)
    set_tests_properties(win.${arch}.module_tests PROPERTIES TIMEOUT 300 LABELS win
                         RESOURCE_LOCK wine-${arch} SKIP_RETURN_CODE 77)
    lumiveil_test_environment(win.${arch}.module_tests ${arch} wine-${arch})
  endforeach()
endif()
