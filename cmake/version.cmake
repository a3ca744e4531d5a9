# The release version, kept in one place: the VERSION file at the top of the
# source, read by the build (the modules' version record) and by tools/package.sh
# (the archive's name). Three numbers, major.minor.patch.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../VERSION)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../VERSION LUMIVEIL_VERSION LIMIT_COUNT 1)
if(NOT LUMIVEIL_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold major.minor.patch, not '${LUMIVEIL_VERSION}'")
endif()
set(LUMIVEIL_VERSION_MAJOR ${CMAKE_MATCH_1})
set(LUMIVEIL_VERSION_MINOR ${CMAKE_MATCH_2})
set(LUMIVEIL_VERSION_PATCH ${CMAKE_MATCH_3})
