#!/bin/sh
# Configures and builds the game alone, optimised, in BUILD_DIR: the way
# scripts/run.sh builds it for play. It needs only the play packages; the
# tests and benchmarks are left out by CMake when theirs are missing.
#
#   scripts/lib/build-game.sh BUILD_DIR [more CMake options]
set -eu
build=${1:?usage: scripts/lib/build-game.sh BUILD_DIR [CMAKE_OPTION...]}
shift
cd "$(dirname "$0")/../.."
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$build" -j "$(nproc)" --target rockdrift
