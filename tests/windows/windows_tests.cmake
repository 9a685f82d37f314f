# Windows tier: GoogleTest programs built with MinGW and run under Wine in one headless
# session; end-to-end tier: the real marlox.exe in the same session.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources are not ours to keep warning-free.
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(MARLOX_WINE_ARCH win64)
else()
  set(MARLOX_WINE_ARCH win32)
endif()
set(MARLOX_WINE_STATE ${CMAKE_BINARY_DIR}/wine-session)
set(MARLOX_WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${MARLOX_WINE_STATE})

add_test(NAME wine.session.start
  COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session.sh start ${MARLOX_WINE_STATE} ${MARLOX_WINE_ARCH})
add_test(NAME wine.session.stop
  COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session.sh stop ${MARLOX_WINE_STATE})
set_tests_properties(wine.session.start PROPERTIES FIXTURES_SETUP wine LABELS "windows;e2e")
set_tests_properties(wine.session.stop PROPERTIES FIXTURES_CLEANUP wine LABELS "windows;e2e")

file(GLOB MARLOX_WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/windows/*.cpp)
add_executable(marlox_windows_tests ${MARLOX_WINDOWS_TEST_SOURCES})
target_link_libraries(marlox_windows_tests PRIVATE marlox_ui gtest gtest_main)
# The main window's pictures and the manifest that asks for the version 6 common controls.
target_sources(marlox_windows_tests PRIVATE ${CMAKE_BINARY_DIR}/resources/marlox.rc)
add_dependencies(marlox_windows_tests marlox_pictures)
target_include_directories(marlox_windows_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/windows
  ${CMAKE_CURRENT_SOURCE_DIR}/common)
target_compile_definitions(marlox_windows_tests PRIVATE
  MARLOX_MATRIX_DIR="${CMAKE_BINARY_DIR}/matrix")
# Archives made with the real RAR and cabinet tools before the tests that read them.
add_test(NAME windows.matrix_fixtures
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/make_matrix_fixtures.sh ${CMAKE_BINARY_DIR}/matrix)
set_tests_properties(windows.matrix_fixtures PROPERTIES FIXTURES_SETUP archives LABELS "windows;e2e")
# Stand-in libraries beside the tests: an UnRAR library too old for the program, and a mail
# library that notes what it is handed.
foreach(standin old_unrar fake_mapi32)
  add_library(${standin} SHARED ${CMAKE_CURRENT_SOURCE_DIR}/windows/${standin}.c)
  target_link_options(${standin} PRIVATE -Wl,--kill-at)
  set_target_properties(${standin} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY
    ${CMAKE_CURRENT_BINARY_DIR})
  add_dependencies(marlox_windows_tests ${standin})
endforeach()
# The program the tests start in place of viewers and registered programs.
add_executable(recorder ${CMAKE_CURRENT_SOURCE_DIR}/windows/recorder.c)
set_target_properties(recorder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(marlox_windows_tests recorder)
set_target_properties(marlox_windows_tests PROPERTIES CROSSCOMPILING_EMULATOR "${MARLOX_WINE_RUN}")
# The RAR library lies beside the test programs as it lies beside marlox.exe.
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/UnRAR.dll
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:unrar> ${CMAKE_CURRENT_BINARY_DIR}/UnRAR.dll
  DEPENDS unrar)
add_custom_target(unrar_beside_tests DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/UnRAR.dll)
add_dependencies(marlox_windows_tests unrar_beside_tests)
# Test names come from the sources at configure time, so listing them never starts Wine.
gtest_add_tests(TARGET marlox_windows_tests TEST_LIST MARLOX_WINDOWS_TESTS)
set_tests_properties(${MARLOX_WINDOWS_TESTS} PROPERTIES
  LABELS windows FIXTURES_REQUIRED "wine;archives" TIMEOUT 60 ENVIRONMENT "TZ=CET-1")
# The association tests rewrite the same keys of the session's registry: one at a time.
set(MARLOX_REGISTRY_TESTS ${MARLOX_WINDOWS_TESTS})
list(FILTER MARLOX_REGISTRY_TESTS INCLUDE REGEX "^Association\\.")
set_tests_properties(${MARLOX_REGISTRY_TESTS} PROPERTIES RESOURCE_LOCK registry)

# Small programs the end-to-end scripts use from the Linux side.
add_executable(wintool ${CMAKE_SOURCE_DIR}/tools/wintool.cpp)
target_link_libraries(wintool PRIVATE ole32 uuid)

file(GLOB MARLOX_E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/e2e/*_test.sh)
foreach(script ${MARLOX_E2E_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name}
    COMMAND bash ${script} ${MARLOX_WINE_STATE} $<TARGET_FILE:marlox> $<TARGET_FILE:wintool>)
  # The scripts find the program's windows by title in the shared desktop, so nothing else may
  # show a main window meanwhile (the window tests do, and so do the other scripts).
  set_tests_properties(e2e.${name} PROPERTIES LABELS e2e FIXTURES_REQUIRED wine TIMEOUT 120
    RUN_SERIAL TRUE)
endforeach()

# What the shipped program and its RAR library import, read from their import tables without
# running them.
add_test(NAME imports.marlox
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/imports_test.sh ${CMAKE_OBJDUMP}
          $<TARGET_FILE:marlox> $<TARGET_FILE:unrar>)
set_tests_properties(imports.marlox PROPERTIES LABELS windows)
