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

# Toolbar and menu pictures: the twelve actions in toolbar order (new, open, extract, remove,
# add, view, settings, help, quit, mail, convert, setup) as one strip of raw 8-bit RGBA rows,
# 32 pixels high, in a normal, a hot (brighter) and a disabled (grey, faded) variant; and the
# menu strip, 16 pixels high: the same twelve reduced from 32 x 32, then the lock of the
# encipher item.
set(MARLOX_ACTION_PICTURES
  actions/document-new actions/document-open mimetypes/package-x-generic actions/edit-delete
  actions/list-add actions/system-search categories/preferences-system apps/help-browser
  actions/system-log-out actions/mail-message-new actions/view-refresh apps/system-installer)
set(MARLOX_ACTION_PNGS)
foreach(picture ${MARLOX_ACTION_PICTURES})
  list(APPEND MARLOX_ACTION_PNGS ${MARLOX_TANGO}/32x32/${picture}.png)
endforeach()
set(MARLOX_LOCK_PNG ${MARLOX_TANGO}/32x32/actions/system-lock-screen.png)

set(MARLOX_TOOLBAR_STRIP ${CMAKE_BINARY_DIR}/resources/toolbar.rgba)
set(MARLOX_TOOLBAR_HOT_STRIP ${CMAKE_BINARY_DIR}/resources/toolbar_hot.rgba)
set(MARLOX_TOOLBAR_DISABLED_STRIP ${CMAKE_BINARY_DIR}/resources/toolbar_disabled.rgba)
set(MARLOX_MENU_STRIP ${CMAKE_BINARY_DIR}/resources/menu.rgba)
add_custom_command(
  OUTPUT ${MARLOX_TOOLBAR_STRIP} ${MARLOX_TOOLBAR_HOT_STRIP} ${MARLOX_TOOLBAR_DISABLED_STRIP}
         ${MARLOX_MENU_STRIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
  COMMAND ${MARLOX_CONVERT} ${MARLOX_ACTION_PNGS} +append -depth 8 rgba:${MARLOX_TOOLBAR_STRIP}
  COMMAND ${MARLOX_CONVERT} ${MARLOX_ACTION_PNGS} +append -modulate 118,115
          -depth 8 rgba:${MARLOX_TOOLBAR_HOT_STRIP}
  COMMAND ${MARLOX_CONVERT} ${MARLOX_ACTION_PNGS} +append -colorspace Gray -channel A
          -evaluate multiply 0.45 +channel -colorspace sRGB -depth 8
          rgba:${MARLOX_TOOLBAR_DISABLED_STRIP}
  COMMAND ${MARLOX_CONVERT} ${MARLOX_ACTION_PNGS} ${MARLOX_LOCK_PNG} -resize 16x16 +append
          -depth 8 rgba:${MARLOX_MENU_STRIP}
  DEPENDS ${MARLOX_ACTION_PNGS} ${MARLOX_LOCK_PNG}
  VERBATIM)
list(APPEND MARLOX_PICTURE_STRIPS ${MARLOX_TOOLBAR_STRIP} ${MARLOX_TOOLBAR_HOT_STRIP}
     ${MARLOX_TOOLBAR_DISABLED_STRIP} ${MARLOX_MENU_STRIP})

configure_file(${CMAKE_CURRENT_SOURCE_DIR}/resources/marlox.rc.in
               ${CMAKE_BINARY_DIR}/resources/marlox.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/resources/marlox.rc PROPERTIES
  OBJECT_DEPENDS "${MARLOX_ICON};${MARLOX_PICTURE_STRIPS};${CMAKE_CURRENT_SOURCE_DIR}/resources/marlox.manifest")
set(MARLOX_RESOURCE_FILES ${CMAKE_BINARY_DIR}/resources/marlox.rc ${MARLOX_ICON})
# Other programs that show the main window (the Windows tests) link the same resources; the
# target makes the pictures before their resource script is compiled.
add_custom_target(marlox_pictures DEPENDS ${MARLOX_ICON} ${MARLOX_PICTURE_STRIPS})
