#!/bin/sh
# Builds the game and every test with AddressSanitizer,
# UndefinedBehaviorSanitizer and the C++ library's bounds checks (see
# CMakeLists.txt) in build-asan/ and runs the whole suite there,
# the real game under Xvfb included. Any report ends the run that made it and
# fails its test.
set -eu
. "$(dirname "$0")/lib/common.sh"
# shellcheck disable=SC2086
need $TEST_PACKAGES

compiler_cache
# shellcheck disable=SC2086
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROCKDRIFT_SANITIZE=ON -DROCKDRIFT_WERROR=ON \
    -DROCKDRIFT_BENCHMARKS=OFF $COMPILER_CACHE
cmake --build build-asan -j "$(nproc)"

# verify_asan_link_order=0: the end-to-end tests preload a small library ahead
# of the dynamic ASan runtime, which is harmless but would stop the game.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:verify_asan_link_order=0:detect_stack_use_after_return=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# This machine runs no session message bus. Without an address libdbus would
# try to start one through dbus-launch when SDL starts, and that failing path
# leaks a buffer inside libdbus. Naming a bus that is not there makes the
# connection fail at once, as it does on a desktop without a bus.
export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/rockdrift-no-bus"

ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
