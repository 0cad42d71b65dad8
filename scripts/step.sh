# shellcheck shell=sh
# A build script's named steps; sourced by the scripts that have them.
#
#   step NAME COMMAND...   prints NAME, runs the command with its output in
#                          $STEP_LOGS/<name>.log and, if it fails, prints
#                          that log and the failed command and exits.
step()
{
    name=$1
    shift
    echo "$name"
    mkdir -p "$STEP_LOGS"
    log=$STEP_LOGS/$(echo "$name" | tr -c '[:alnum:]\n' '-' | tr '[:upper:]' '[:lower:]').log
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        echo "$(basename "$0"): failed: $*" >&2
        exit 1
    fi
}
