# shellcheck shell=sh
# Named steps, for the commands that have them; sourced by scripts/lib/common.sh.
#
#   step NAME COMMAND...   runs the command with its output in
#                          $STEP_LOGS/<name>.log and prints one line: NAME,
#                          then passed or FAILED and the seconds it took.
#                          When it fails it prints the end of that log and
#                          exits, or, with STEP_FAILURE=continue (the test
#                          stages), returns 1. STEP_STATUS is the command's
#                          exit status.
step()
{
    name=$1
    shift
    mkdir -p "$STEP_LOGS"
    log=$STEP_LOGS/$(echo "$name" | tr -c '[:alnum:]\n' '-' | tr '[:upper:]' '[:lower:]').log
    started=$(date +%s)
    printf '%s ' "$name"
    # A subshell in the background, so that set -e still stops a step that is
    # a shell function at its first failing command (a condition would not).
    ("$@") >"$log" 2>&1 &
    STEP_STATUS=0
    wait $! || STEP_STATUS=$?
    if [ "$STEP_STATUS" -eq 0 ]; then
        printf 'passed %d s\n' "$(($(date +%s) - started))"
        return 0
    fi
    printf 'FAILED %d s\n' "$(($(date +%s) - started))"
    echo "    ... the end of $log:"
    tail -n 60 "$log" | sed 's/^/    /'
    [ "${STEP_FAILURE:-stop}" = continue ] && return 1
    echo "$(basename "$0"): failed: $name" >&2
    exit 1
}

# side_by_side COMMAND ARGUMENT...: runs `COMMAND ARGUMENT` for every argument
# at once, each with its output in $STEP_LOGS/ARGUMENT.log; then shows those
# logs in turn, and fails when any of the commands failed.
side_by_side()
{
    command=$1
    shift
    mkdir -p "$STEP_LOGS"
    for argument in "$@"; do
        ("$command" "$argument" >"$STEP_LOGS/$argument.log" 2>&1; echo $? >"$STEP_LOGS/$argument.status") &
    done
    wait
    failed=0
    for argument in "$@"; do
        echo "--- $argument"
        cat "$STEP_LOGS/$argument.log"
        [ "$(cat "$STEP_LOGS/$argument.status")" -eq 0 ] || failed=1
    done
    return "$failed"
}

# cached DIR WHAT COMMAND...: DIR as the cache holds it, or, the first time,
# made by COMMAND (run as the step WHAT) and then marked complete beside it,
# with DIR.complete. A run cut short leaves no mark, so the next one starts
# DIR again from nothing.
cached()
{
    dir=$1
    what=$2
    shift 2
    if [ -f "$dir.complete" ]; then
        echo "$what: cached in $dir"
        return 0
    fi
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    step "$what (once)" "$@"
    touch "$dir.complete"
}
