#!/bin/sh
# What a newcomer meets before the game starts:
# - the game builds the way scripts/run.sh builds it while CMake behaves as
#   if GoogleTest and Google Benchmark were not installed, as on a machine
#   with only the play packages, and says once for each what it leaves out;
# - a plain user without sudo who lacks a package is told what to run as root.
set -eu
. "$(dirname "$0")/lib/common.sh"

fail()
{
    echo "test-setup: $*" >&2
    exit 1
}

build=build-play
rm -rf "$build"
scripts/lib/build-game.sh "$build" -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    >"$build.log" 2>&1 || { cat "$build.log"; fail "the game does not build with the play packages alone"; }
for line in "Tests: not built" "Benchmarks: not built"; do
    [ "$(grep -c "^-- $line" "$build.log")" -eq 1 ] || fail "CMake did not say '$line' once"
done
[ -x "$build/rockdrift" ] || fail "$build/rockdrift was not built"
rm -f "$build.log"
echo "test-setup: the game builds with the play packages alone"

# Only the tools deps.sh needs before it would install anything: no sudo.
tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
for tool in sh dpkg-query grep id; do
    ln -s "$(command -v "$tool")" "$tools/$tool"
done
chmod 755 "$tools"
status=0
said=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env PATH="$tools" sh scripts/lib/deps.sh cmake \
    rockdrift-missing-package 2>&1) || status=$?
[ "$status" -ne 0 ] || fail "deps.sh succeeded for a plain user without sudo"
echo "$said" | grep -qx "    apt-get update && apt-get install -y rockdrift-missing-package" ||
    fail "deps.sh did not give the command to run as root: $said"
echo "test-setup: without root or sudo, deps.sh says what to run as root:"
echo "$said" | sed 's/^/    /'
