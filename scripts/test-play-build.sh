#!/bin/sh
# The play command on a machine with only the play packages: the game builds
# the way scripts/run.sh builds it while CMake behaves as if GoogleTest and
# Google Benchmark were not installed, and says so once for each.
set -eu
cd "$(dirname "$0")/.."
build=build-play
rm -rf "$build"
scripts/build-game.sh "$build" -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    | tee "$build.log"
for line in "Tests: not built" "Benchmarks: not built"; do
    [ "$(grep -c "^-- $line" "$build.log")" -eq 1 ] || { echo "test-play-build: no line '$line'" >&2; exit 1; }
done
[ -x "$build/rockdrift" ] || { echo "test-play-build: $build/rockdrift was not built" >&2; exit 1; }
rm -f "$build.log"
echo "test-play-build: the game builds with the play packages alone"
