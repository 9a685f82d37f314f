# Source lists. Portable sources build in both builds; Windows sources only with MinGW.

set(MARLOX_PORTABLE_SOURCES
  src/runtime/os_common.cpp
  src/runtime/file_meta.cpp
  src/state/messages.cpp
  src/state/default_messages.cpp
  src/state/settings_file.cpp
  src/app/command_line.cpp
  src/state/temp_files.cpp
  src/state/app_state.cpp
  src/runtime/paths.cpp
  src/runtime/member_path.cpp
  src/app/commands.cpp
  src/app/backends.cpp
  # ZIP engine
  src/zip/zip_records.cpp
  src/zip/zip_end.cpp
  src/zip/zip_reader.cpp
  src/zip/zip_writer.cpp
  src/zip/zip_copy.cpp
  src/zip/zip_crypt.cpp
  src/zip/zip_ahead.cpp
  src/zip/zip_extract.cpp
  # Protection
  src/protect/cipher.cpp
  # Archive operations
  src/archive/listing.cpp
  src/archive/list_rows.cpp
  src/archive/extraction.cpp
  src/archive/adding.cpp
  src/archive/deleting.cpp
  # Foreign formats
  src/formats/zip_backend.cpp
  src/formats/rar.cpp
  src/formats/rar_library.cpp
  src/formats/cab.cpp
  src/formats/conversion.cpp
  # Files and programs
  src/files/opening.cpp
  src/files/archive_files.cpp
  # System integration
  src/system/viewer_texts.cpp
)

set(MARLOX_WINDOWS_SOURCES
  src/app/application.cpp
  src/app/main_window.cpp
  src/app/main_window_frame.cpp
  src/app/main_window_list.cpp
  src/app/main_window_menus.cpp
  src/app/pictures.cpp
  src/app/dispatch.cpp
  src/archive/extract_dialog.cpp
  src/archive/add_dialog.cpp
  src/system/send_to.cpp
  src/system/associations.cpp
  src/system/text_viewer.cpp
  src/app/settings_dialog.cpp
  src/protect/mail_library.cpp
  src/protect/password_dialogs.cpp
  src/runtime/ui_prompt.cpp
  src/runtime/ui_window.cpp
  src/runtime/ui_dialog.cpp
  src/runtime/ui_balloon.cpp
)
