#!/bin/sh
# Installs what is missing, builds everything with warnings as errors and runs
# every test, one stage after another. Each stage prints one line (its name,
# result and time) and keeps its full output in build-logs/STAGE.log, shown
# in part when it fails; the last line counts the stages that passed and
# failed, and the exit status is 0 only when none failed.
set -eu
. "$(dirname "$0")/lib/common.sh"
STEP_LOGS=build-logs
STEP_FAILURE=continue
rm -rf "$STEP_LOGS"

passed=0
failed=0
stage()
{
    if step "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
}

# shellcheck disable=SC2086
stage packages scripts/lib/deps.sh $TEST_PACKAGES
# The game, its tools, tests and benchmarks; then the world's rules, the play
# loop on SDL's dummy driver, the artwork and the real game under Xvfb.
stage build scripts/build-tests.sh
stage tests ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)"
# The game as scripts/run.sh builds it with the play packages only, and what
# a user who may not install packages is told.
stage setup scripts/test-setup.sh
# The game installed with cmake --install and as a Debian package.
stage install scripts/test-install.sh
# Everything again under AddressSanitizer and UndefinedBehaviorSanitizer, then
# a minute of fuzzing the game world.
stage sanitizers scripts/test-sanitizers.sh
stage fuzz scripts/fuzz.sh 60
# The Linux archive played in fresh Debian 11, 12 and 13 systems, the Windows
# release under Wine, and the browser build in Chromium, Firefox and WebKit.
stage linux scripts/test-linux.sh
stage windows scripts/test-windows.sh
stage web scripts/test-web.sh

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
