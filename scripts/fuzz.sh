#!/bin/sh
# Builds the fuzz target of the game world with clang in build-fuzz/ and runs
# it for the given number of seconds (60 by default), starting from a copy of
# the committed seed corpus. Fails on any crash, broken rule or sanitizer
# report; the input that caused it is left in build-fuzz/.
#
#   scripts/fuzz.sh [SECONDS] [more libFuzzer options]
set -eu
. "$(dirname "$0")/lib/common.sh"
seconds=${1:-60}
[ $# -gt 0 ] && shift
# shellcheck disable=SC2086
need $TEST_PACKAGES

compiler_cache
# shellcheck disable=SC2086
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROCKDRIFT_FUZZ=ON \
    -DROCKDRIFT_TESTS=OFF -DROCKDRIFT_BENCHMARKS=OFF -DROCKDRIFT_WERROR=ON $COMPILER_CACHE
cmake --build build-fuzz -j "$(nproc)" --target level_fuzz

# New inputs go to a scratch copy: the committed corpus stays small.
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp fuzz/corpus/* "$corpus"

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
build-fuzz/fuzz/level_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/ "$@" "$corpus"
