#!/bin/sh
# Builds the Windows release, unpacks its zip into a fresh folder and plays
# the real rockdrift.exe under Wine, in a fresh Wine prefix, on a private X
# server (tests/windows_game_test.cpp).
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
scripts/deps.sh $TEST_PACKAGES $WINDOWS_PACKAGES

say()
{
    echo "test-windows: $*"
}

seconds_since()
{
    echo $(($(date +%s) - $1))
}

began=$(date +%s)
scripts/build-windows.sh
say "release built in $(seconds_since "$began") s"

# The tests are a Linux program, built like the other tests.
log=build-windows/logs/windows-game-tests.log
mkdir -p build-windows/logs
say "building the Wine tests"
if ! { cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROCKDRIFT_WERROR=ON &&
    cmake --build build -j "$(nproc)" --target windows_game_tests; } >"$log" 2>&1; then
    cat "$log" >&2
    say "failed: building the Wine tests" >&2
    exit 1
fi

work=$(mktemp -d /tmp/rockdrift-windows.XXXXXX)
# Wine without its debug channels, without asking to install Mono or Gecko,
# in a prefix of its own that goes with the test.
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

unzip -q build-windows/rockdrift-windows-x64.zip -d "$work"
say "unpacked: $(find "$work/rockdrift" -type f | wc -l) files"

began=$(date +%s)
# The prefix is made without a display: nothing of it is shown.
env -u DISPLAY wineboot --init >"$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log" >&2
    say "failed: wineboot" >&2
    exit 1
}
wineserver -w
say "Wine prefix made in $(seconds_since "$began") s"

# Wine draws SDL's default Direct3D renderer on software OpenGL, at the cost
# of a whole core; SDL's software renderer shows the same frames for little.
began=$(date +%s)
ROCKDRIFT_EXE="$work/rockdrift/rockdrift.exe" SDL_RENDER_DRIVER=software build/windows_game_tests --gtest_brief=1
say "the game passed under Wine in $(seconds_since "$began") s"
