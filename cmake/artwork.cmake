# The artwork (About picture, dialog band) is generated, byte for byte the same on
# every build, into LUMIVEIL_ART_DIR: the Windows modules' resources and the Mac
# plug-in's compiled-in pictures are made from it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(LUMIVEIL_ART_DIR ${CMAKE_BINARY_DIR}/artwork)
add_custom_command(
  OUTPUT ${LUMIVEIL_ART_DIR}/about.bmp ${LUMIVEIL_ART_DIR}/band.bmp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMIVEIL_ART_DIR}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_artwork.py ${LUMIVEIL_ART_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_artwork.py
  COMMENT "Generating the module's artwork")
