# The program icon and the resource script. Pictures come from the installed Tango icon theme
# (public domain) and are turned into Windows formats at build time; nothing binary is kept
# in the repository.
set(MARLOX_TANGO /usr/share/icons/Tango CACHE PATH "Tango icon theme folder")
find_program(MARLOX_CONVERT convert REQUIRED)

set(MARLOX_ICON ${CMAKE_BINARY_DIR}/resources/marlox.ico)
add_custom_command(OUTPUT ${MARLOX_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
  COMMAND ${MARLOX_CONVERT} ${MARLOX_TANGO}/16x16/mimetypes/package-x-generic.png
          ${MARLOX_TANGO}/32x32/mimetypes/package-x-generic.png ${MARLOX_ICON}
  DEPENDS ${MARLOX_TANGO}/16x16/mimetypes/package-x-generic.png
  VERBATIM)

configure_file(${CMAKE_CURRENT_SOURCE_DIR}/resources/marlox.rc.in
               ${CMAKE_BINARY_DIR}/resources/marlox.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/resources/marlox.rc PROPERTIES
  OBJECT_DEPENDS "${MARLOX_ICON};${CMAKE_CURRENT_SOURCE_DIR}/resources/marlox.manifest")
set(MARLOX_RESOURCE_FILES ${CMAKE_BINARY_DIR}/resources/marlox.rc ${MARLOX_ICON})
