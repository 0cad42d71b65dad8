# shellcheck shell=sh
# The game's version, written in one place: project(... VERSION ...) in
# CMakeLists.txt. Sourced by the scripts that put it into release files.
VERSION=$(sed -n 's/^project(rockdrift VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$VERSION" ] || {
    echo "CMakeLists.txt names no project version" >&2
    exit 1
}
