#!/bin/sh
# Installs what is missing, builds the game and starts it from the project
# directory, where it finds its images in assets/.
set -eu
. "$(dirname "$0")/lib/common.sh"
# shellcheck disable=SC2086
need $BUILD_PACKAGES

echo "Building the game in build-release/"
log=build-release.log
scripts/lib/build-game.sh build-release >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
rm -f "$log"
exec build-release/rockdrift
