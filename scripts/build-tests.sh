#!/bin/sh
# Builds the game, its tools, tests and benchmarks in build/ with warnings as
# errors, or only the named targets of that build (the ports' tests, which
# are Linux programs too).
#
#   scripts/build-tests.sh [TARGET...]
set -eu
. "$(dirname "$0")/lib/common.sh"
compiler_cache
# shellcheck disable=SC2086
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROCKDRIFT_WERROR=ON $COMPILER_CACHE
if [ $# -eq 0 ]; then
    cmake --build build -j "$(nproc)"
else
    cmake --build build -j "$(nproc)" --target "$@"
fi
