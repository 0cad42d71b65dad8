# What Windows shows of rockdrift.exe before it runs: the game's icon in
# Explorer, on the window and in the taskbar (SDL gives its window class the
# program's first icon), the name and version in the file's Properties, and
# the manifest. Included by the top-level CMakeLists.txt for Windows builds.
enable_language(RC)

# One .ico made from the icons the art tool draws, smallest first; the
# 256-pixel image is kept as PNG inside it, as Windows' own icons are.
find_program(ICOTOOL icotool REQUIRED)
set(ICON_SOURCES)
foreach(size 16 24 32 48 64 128)
  list(APPEND ICON_SOURCES ${PROJECT_SOURCE_DIR}/data/icons/${size}x${size}/apps/rockdrift.png)
endforeach()
set(LARGE_ICON ${PROJECT_SOURCE_DIR}/data/icons/256x256/apps/rockdrift.png)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/rockdrift.ico
  COMMAND ${ICOTOOL} --create --output=${CMAKE_CURRENT_BINARY_DIR}/rockdrift.ico ${ICON_SOURCES} --raw=${LARGE_ICON}
  DEPENDS ${ICON_SOURCES} ${LARGE_ICON}
  VERBATIM
)

# The version is the project's; the copyright and licence lines are the
# first lines of LICENSE.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE LICENCE_NAME LIMIT_COUNT 1)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE COPYRIGHT_LINE REGEX "^Copyright" LIMIT_COUNT 1)
set(RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ICON_FILE ${CMAKE_CURRENT_BINARY_DIR}/rockdrift.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/rockdrift.rc.in ${CMAKE_CURRENT_BINARY_DIR}/rockdrift.rc @ONLY)
target_sources(rockdrift PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/rockdrift.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/rockdrift.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/rockdrift.ico;${CMAKE_CURRENT_LIST_DIR}/rockdrift.manifest")
