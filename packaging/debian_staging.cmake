# Run by CPack on the staged package, the way Debian's own tools finish one.
set(staged ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})

# Stripped of the compiler's notes too, which a player's machine never reads.
execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${staged}/${CPACK_ROCKDRIFT_GAME}
                COMMAND_ERROR_IS_FATAL ANY)

# Debian keeps the commands of games in /usr/games. It sits beside /usr/bin,
# so the launcher's way from its own directory to the data and the real
# binary stays the same.
if(CPACK_ROCKDRIFT_BINDIR STREQUAL "bin")
  file(RENAME ${staged}/bin ${staged}/games)
endif()
