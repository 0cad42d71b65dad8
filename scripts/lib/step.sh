# shellcheck shell=sh
# A build script's named steps; sourced by the scripts that have them.
#
#   step NAME COMMAND...   prints NAME, runs the command with its output in
#                          $STEP_LOGS/<name>.log and, if it fails, prints
#                          that log and the failed step and exits.
step()
{
    name=$1
    shift
    echo "$name"
    mkdir -p "$STEP_LOGS"
    log=$STEP_LOGS/$(echo "$name" | tr -c '[:alnum:]\n' '-' | tr '[:upper:]' '[:lower:]').log
    # A subshell in the background, so that set -e still stops a step that is
    # a shell function at its first failing command (a condition would not).
    ("$@") >"$log" 2>&1 &
    if ! wait $!; then
        cat "$log" >&2
        echo "$(basename "$0"): failed: $name (log: $log)" >&2
        exit 1
    fi
}
