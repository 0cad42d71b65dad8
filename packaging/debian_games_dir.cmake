# Run by CPack on the staged package: Debian keeps the commands of games in
# /usr/games. It sits beside /usr/bin, so the launcher's way from its own
# directory to the data and the real binary stays the same.
if(NOT CPACK_ROCKDRIFT_BINDIR STREQUAL "bin")
  return()
endif()
set(staged ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(RENAME ${staged}/bin ${staged}/games)
