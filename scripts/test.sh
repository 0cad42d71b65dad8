#!/bin/sh
# Installs what is missing, builds with warnings as errors and runs every test.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
scripts/deps.sh $TEST_PACKAGES

# The game, its tools, tests and benchmarks, and every test.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROCKDRIFT_WERROR=ON
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"

# The game installed with cmake --install and as a Debian package.
scripts/test-install.sh

# Everything again under AddressSanitizer and UndefinedBehaviorSanitizer, then
# a minute of fuzzing the game world.
scripts/test-sanitizers.sh
scripts/fuzz.sh 60
