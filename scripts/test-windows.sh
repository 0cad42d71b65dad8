#!/bin/sh
# Builds the Windows release, unpacks its zip into a fresh folder and plays
# the real rockdrift.exe under Wine, in a fresh Wine prefix with one Wine
# server for the run, on a private X server: every scenario of the real game
# that applies (tests/game/).
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/version.sh
STEP_LOGS=build-windows/logs

# shellcheck disable=SC2086
need $TEST_PACKAGES $WINDOWS_PACKAGES
scripts/build-windows.sh
# The tests are a Linux program, built with the other tests.
step "Building the tests" scripts/build-tests.sh game_tests

work=$(mktemp -d /tmp/rockdrift-windows.XXXXXX)
# Wine without its debug channels, without asking to install Mono or Gecko,
# in a prefix of its own that goes with the test.
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

step "Unpacking the zip into a fresh folder" unzip -q build-windows/rockdrift-windows-x64.zip -d "$work"

# What Explorer shows: the icon in every size, and the project's version.
check_resources()
{
    exe=$work/rockdrift/rockdrift.exe
    wrestool -x -t14 "$exe" >"$work/rockdrift.ico"
    sizes=$(icotool -l "$work/rockdrift.ico" | sed 's/.*--width=\([0-9]*\).*/\1/' | tr '\n' ' ')
    [ "$sizes" = "16 24 32 48 64 128 256 " ] || { echo "icon sizes: $sizes"; return 1; }
    strings=$(wrestool -x --raw -t16 "$exe" | iconv -c -f UTF-16LE -t UTF-8 | tr -c '[:print:]' '\n' | grep .)
    for name in ProductName=Rockdrift ProductVersion="$VERSION" FileVersion="$VERSION"; do
        echo "$strings" | grep -x -A1 "${name%%=*}" | tail -n 1 | grep -qx "${name#*=}" || { echo "no $name"; return 1; }
    done
}
step "Checking the icon and the version in rockdrift.exe" check_resources

# The prefix is made without a display: nothing of it is shown. Then one
# Wine server stays up for every game of the run (the tests start Wine's
# services and desktop on their X server before the first game): each game
# is a Windows process of its own, as on a player's machine, and none waits
# for Wine to boot or races it as it shuts down.
make_prefix()
{
    env -u DISPLAY wineboot --init
    wineserver -w
    wineserver --persistent
}
step "Making a fresh Wine prefix and starting its server" make_prefix

# Wine draws SDL's default Direct3D renderer on software OpenGL, at the cost
# of a whole core; SDL's software renderer shows the same frames for little.
echo "Playing rockdrift.exe under Wine"
ROCKDRIFT_BACKENDS=wine ROCKDRIFT_GAME="$work/rockdrift/rockdrift.exe" SDL_RENDER_DRIVER=software \
    build/game_tests --gtest_brief=1
