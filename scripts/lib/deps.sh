#!/bin/sh
# Installs whichever of the given Debian packages are missing, without asking:
# one line for what it installs, apt's own log only when that fails. As root
# it installs them itself, otherwise through sudo; with neither it says what
# to run as root, and fails.
set -eu

missing=""
for package in "$@"; do
    case " $missing " in *" $package "*) continue ;; esac
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "These Debian packages are missing:$missing" >&2
    echo "Install them as root (for example after su -), then run this command again:" >&2
    echo "    apt-get update && apt-get install -y$missing" >&2
    exit 1
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
failed()
{
    cat "$log" >&2
    echo "$0: installing$missing failed (apt's log is above)" >&2
    exit 1
}

$as_root apt-get update >"$log" 2>&1 || failed
# What apt is about to fetch: every package it would download, with its size.
# shellcheck disable=SC2086
download=$($as_root apt-get install --print-uris -qq $missing 2>>"$log" |
    awk '{ n++; bytes += $3 } END { printf "%d packages, %.0f MB to download", n, bytes / 1e6 }') || failed
echo "Installing$missing ($download)"
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing >>"$log" 2>&1 || failed
