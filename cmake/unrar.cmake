# UnRAR.dll, the RAR library Marlox loads at run time, built from the UnRAR source of Debian's
# unrar-nonfree source package with this build's MinGW compiler. The source is fetched with
# `apt-get source` at configure time when its folder is missing, never committed; scripts/build.sh
# points every Windows build at one shared folder, build/unrar-src. The DLL and UnRAR's license
# land beside marlox.exe.

set(MARLOX_UNRAR_SOURCE_DIR "${CMAKE_BINARY_DIR}/unrar-src" CACHE PATH
    "UnRAR source from Debian's unrar-nonfree package; fetched here when missing")
set(unrar_src "${MARLOX_UNRAR_SOURCE_DIR}")

if(NOT EXISTS "${unrar_src}/dll.def")
  # Unpack into a scratch folder and rename it into place at the end, so an interrupted fetch
  # never leaves a half-filled source folder that later runs would take as complete.
  set(fetch_dir "${unrar_src}.fetch")
  file(REMOVE_RECURSE "${fetch_dir}")
  file(MAKE_DIRECTORY "${fetch_dir}")
  message(STATUS "Fetching the UnRAR source (apt-get source unrar-nonfree) into ${unrar_src}")
  execute_process(COMMAND apt-get source unrar-nonfree
    WORKING_DIRECTORY "${fetch_dir}"
    RESULT_VARIABLE fetch_result OUTPUT_VARIABLE fetch_output ERROR_VARIABLE fetch_output)
  file(GLOB unpacked LIST_DIRECTORIES true "${fetch_dir}/unrar-nonfree-*")
  list(FILTER unpacked INCLUDE REGEX "/unrar-nonfree-[^/_]*$")
  list(LENGTH unpacked unpacked_count)
  if(NOT fetch_result EQUAL 0 OR NOT unpacked_count EQUAL 1)
    message(FATAL_ERROR "Could not fetch the UnRAR source with `apt-get source unrar-nonfree` "
      "(it needs deb-src lines with the non-free component and dpkg-dev; scripts/setup.sh "
      "adds them):\n${fetch_output}")
  endif()
  file(RENAME "${unpacked}" "${unrar_src}")
  file(REMOVE_RECURSE "${fetch_dir}")
endif()

# The objects of the library target of UnRAR's makefile, plus isnt.cpp, which only Windows needs.
set(unrar_names
  rar strlist strfn pathfn smallfn global file filefn filcreat archive arcread unicode system
  crypt crc rawread encname resource match timefn rdwrfn consio options errhnd rarvm
  secpassword rijndael getbits sha1 sha256 blake2s hash extinfo extract volume list find
  unpack headers threadpool rs16 cmddata ui
  filestr scantree dll qopen
  isnt)
list(TRANSFORM unrar_names PREPEND "${unrar_src}/")
list(TRANSFORM unrar_names APPEND ".cpp" OUTPUT_VARIABLE unrar_sources)

# What UnRAR needs from Windows that MinGW names or provides differently: upper-case header
# names and _com_util::ConvertStringToBSTR. Our own code, so it keeps this project's warnings.
add_library(unrar_mingw_support OBJECT ${CMAKE_CURRENT_LIST_DIR}/unrar/com_util.cpp)

add_library(unrar SHARED ${unrar_sources} "${unrar_src}/dll.def"
  $<TARGET_OBJECTS:unrar_mingw_support>)
# Third-party code: its own flags instead of this project's warnings-as-errors and charsets.
# The build-wide Windows definitions still reach it and change nothing: UnRAR's os.hpp defines
# WIN32_LEAN_AND_MEAN and its own WINVER and _WIN32_WINNT before it includes <windows.h>.
set_property(TARGET unrar PROPERTY COMPILE_OPTIONS -w)
target_compile_definitions(unrar PRIVATE RARDLL UNRAR SILENT)
target_include_directories(unrar PRIVATE ${CMAKE_CURRENT_LIST_DIR}/unrar)
# The exports of dll.def are the undecorated names; the stdcall fix-up binds them to the
# decorated functions on i686. The runtime is linked statically like everything in this build,
# so the DLL imports only system DLLs.
target_link_options(unrar PRIVATE -Wl,--enable-stdcall-fixup)
target_link_libraries(unrar PRIVATE
  wbemuuid oleaut32 ole32 powrprof shlwapi shell32 advapi32 user32)
set_target_properties(unrar PROPERTIES
  PREFIX "" OUTPUT_NAME UnRAR
  RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}"
  ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/unrar")

# UnRAR's license travels with the DLL.
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/license.txt"
  COMMAND ${CMAKE_COMMAND} -E copy "${unrar_src}/license.txt" "${CMAKE_BINARY_DIR}/license.txt"
  DEPENDS "${unrar_src}/license.txt")
target_sources(unrar PRIVATE "${CMAKE_BINARY_DIR}/license.txt")
