#!/bin/sh
# Measures how fast the game runs and writes its figures into
# docs/performance.md: the world benchmarks, then the real game and the floor
# program on a private X server. Only the section marked scripts/measure.sh
# is rewritten; the rest of the page is written by hand.
# Usage: scripts/measure.sh [RUNS]   (default 5; every figure is a median)
set -eu
. "$(dirname "$0")/lib/common.sh"
# shellcheck disable=SC2086
need $TEST_PACKAGES

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_TESTS=ON -DROCKDRIFT_BENCHMARKS=ON
cmake --build build-bench -j "$(nproc)" --target measure_game
build-bench/bench/measure_game build-bench/bench/world_bench build-bench/measured.md "${1:-5}"
write_section docs/performance.md scripts/measure.sh build-bench/measured.md
