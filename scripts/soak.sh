#!/bin/sh
# Plays the release game for MINUTES minutes on a private X server with random
# keys, pointer moves and clicks, and records its resident memory once a
# minute (bench/soak.cpp, which says when it fails).
#
#   scripts/soak.sh MINUTES
set -eu
. "$(dirname "$0")/lib/common.sh"
minutes=${1:?usage: scripts/soak.sh MINUTES}
# shellcheck disable=SC2086
need $TEST_PACKAGES

cmake -S . -B build-soak -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_TESTS=ON -DROCKDRIFT_BENCHMARKS=ON >/dev/null
cmake --build build-soak -j "$(nproc)" --target rockdrift soak >/dev/null
exec build-soak/bench/soak "$minutes"
