#!/bin/sh
# Runs a command inside a Debian root made by scripts/lib/roots.sh, with that
# system's own libraries, compiler and C library, and with this machine's
# devices, processes and X server. Host folders are mounted where the command
# expects them. Every mount lives in a mount namespace of this command alone,
# so nothing is left on the host and the cached root keeps its contents
# (only the mount points are made in it). Needs root.
#
#   scripts/lib/in-root.sh ROOT [HOST_DIR:DIR_IN_ROOT]... -- COMMAND [ARGUMENT...]
#
# The command starts in the directory this one was started in, or in / when
# the root has no such path. Its process is this one, so signals reach it and
# its exit status is this command's.
set -eu
if [ -z "${ROCKDRIFT_IN_NAMESPACE:-}" ]; then
    ROCKDRIFT_IN_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi
unset ROCKDRIFT_IN_NAMESPACE

root=${1:?usage: scripts/lib/in-root.sh ROOT [HOST_DIR:DIR_IN_ROOT]... -- COMMAND [ARGUMENT...]}
shift
# A /tmp of its own, with the X server's sockets in it.
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
if [ -d /tmp/.X11-unix ]; then
    mkdir "$root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
fi
mount --rbind /dev "$root/dev"
mount -t proc proc "$root/proc"
while [ "$1" != "--" ]; do
    mkdir -p "$root${1#*:}"
    mount --bind "${1%%:*}" "$root${1#*:}"
    shift
done
shift
# shellcheck disable=SC2016 # expanded by the root's shell
exec chroot "$root" /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" "$@"
