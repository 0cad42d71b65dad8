#!/bin/sh
# Installs what is missing, builds the game and starts it from the project
# directory, where it finds its images in assets/.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
scripts/deps.sh $BUILD_PACKAGES

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_TESTS=OFF
cmake --build build-release -j "$(nproc)" --target rockdrift
exec build-release/rockdrift
