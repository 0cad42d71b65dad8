#!/bin/sh
# Installs what is missing, builds everything with warnings as errors and runs
# every test, one stage after another. Each stage prints one line (its name,
# result and time) and keeps its full output in build-logs/STAGE.log, shown
# in part when it fails; the last line counts the stages that passed and
# failed, and the exit status is 0 only when none failed.
set -eu
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
logs=build-logs
rm -rf "$logs"
mkdir -p "$logs"

passed=0
failed=0
# stage NAME COMMAND...: runs the command with its output in the stage's log.
stage()
{
    name=$1
    shift
    started=$(date +%s)
    printf '%-14s ' "$name"
    if "$@" >"$logs/$name.log" 2>&1; then
        passed=$((passed + 1))
        result=passed
    else
        failed=$((failed + 1))
        result=FAILED
    fi
    printf '%-7s %5d s\n' "$result" "$(($(date +%s) - started))"
    if [ "$result" = FAILED ]; then
        echo "    ... the end of $logs/$name.log:"
        tail -n 40 "$logs/$name.log" | sed 's/^/    /'
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
# release under Wine, and the browser build in Chromium.
stage linux scripts/test-linux.sh
stage windows scripts/test-windows.sh
stage web scripts/test-web.sh

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
