#!/bin/sh
# Builds the release that scripts/install.sh and scripts/package.sh install
# from: the game alone, optimised, in build-pkg/.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_TESTS=OFF -DROCKDRIFT_BENCHMARKS=OFF \
    -DROCKDRIFT_SANITIZE=OFF -DROCKDRIFT_WERROR=OFF
cmake --build build-pkg -j "$(nproc)"
