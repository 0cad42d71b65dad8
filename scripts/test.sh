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
# stage NAME MINUTES COMMAND...: a step that may take at most that long; one
# that has not ended by then is stopped, with all it started, and says so.
stage()
{
    name=$1
    minutes=$2
    shift 2
    if step "$name" timeout --kill-after=30 "$((minutes * 60))" "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        [ "$STEP_STATUS" -ne 124 ] || echo "    $name did not end within $minutes minutes, and was stopped"
    fi
}

# shellcheck disable=SC2086
stage packages 15 scripts/lib/deps.sh $TEST_PACKAGES
# The game, its tools, tests and benchmarks; then the world's rules, the play
# loop on SDL's dummy driver, the artwork and the real game under Xvfb.
stage build 20 scripts/build-tests.sh
stage tests 30 ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)"
# The game as scripts/run.sh builds it with the play packages only, and what
# a user who may not install packages is told.
stage setup 10 scripts/test-setup.sh
# The game installed with cmake --install and as a Debian package.
stage install 20 scripts/test-install.sh
# Everything again under AddressSanitizer and UndefinedBehaviorSanitizer, then
# a minute of fuzzing the game world.
stage sanitizers 40 scripts/test-sanitizers.sh
stage fuzz 10 scripts/fuzz.sh 60
# The Linux archive played in fresh Debian 11, 12 and 13 systems, the Windows
# release under Wine, and the browser build in Chromium, Firefox and WebKit.
stage linux 40 scripts/test-linux.sh
stage windows 40 scripts/test-windows.sh
stage web 40 scripts/test-web.sh

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
