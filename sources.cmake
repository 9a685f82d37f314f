# Source lists. Portable sources build in both builds; Windows sources only with MinGW.

set(MARLOX_PORTABLE_SOURCES
  src/runtime/os_common.cpp
  src/files/file_meta.cpp
  src/app/messages.cpp
  src/app/default_messages.cpp
  src/app/settings_file.cpp
  src/app/command_line.cpp
  src/app/temp_files.cpp
  # ZIP engine
)

set(MARLOX_WINDOWS_SOURCES
  src/app/application.cpp
  src/system/special_folders.cpp
  src/system/shortcut.cpp
  src/protect/mail_library.cpp
  src/formats/cab_library.cpp
  src/runtime/ui_prompt.cpp
)
