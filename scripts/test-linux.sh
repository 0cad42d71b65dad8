#!/bin/sh
# Builds the Linux archive (scripts/build-linux.sh), checks what its game asks
# of the player's system, and plays it, unpacked into a fresh folder, inside
# fresh minimal Debian 11, 12 and 13 systems that have a desktop's X, Wayland
# and OpenGL libraries but no SDL: every scenario of the real game that
# applies (tests/game/), on a private X server, on Weston without X, and
# without a display. Needs root.
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/roots.sh
STEP_LOGS=build-linux/logs

# shellcheck disable=SC2086
need $LINUX_TEST_PACKAGES
scripts/build-linux.sh
# The tests are a program of this machine, built with the other tests.
step "Building the tests" scripts/build-tests.sh game_tests

work=$(mktemp -d /tmp/rockdrift-linux.XXXXXX)
trap 'rm -rf "$work"' EXIT
tar -xzf build-linux/rockdrift-linux-x64.tar.gz -C "$work"
game=$work/rockdrift/rockdrift

# Only glibc's own libraries, and none of their symbols newer than Debian 11's
# glibc 2.31.
needed=$(readelf -d "$game" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' | tr '\n' ' ')
for library in $needed; do
    case $library in
    libc.so.6 | libm.so.6 | libdl.so.2 | libpthread.so.0 | librt.so.1 | ld-linux-x86-64.so.2) ;;
    *)
        echo "test-linux: the game needs $library, which is not glibc's" >&2
        exit 1
        ;;
    esac
done
newest=$(readelf -V "$game" | grep -o 'GLIBC_[0-9.]*' | sort -uV | tail -n 1)
if [ "$(printf '%s\n' "$newest" GLIBC_2.31 | sort -V | tail -n 1)" != GLIBC_2.31 ]; then
    echo "test-linux: the game needs $newest, newer than GLIBC_2.31" >&2
    exit 1
fi
echo "The game needs ${needed}and nothing newer than $newest"

# The systems first (each made once, then cached), then a game in each at
# once, each on its own X server.
for suite in bullseye bookworm trixie; do
    # shellcheck disable=SC2086
    debian_root "$suite" $LINUX_PLAY_ROOT_PACKAGES
    eval "root_$suite=\$ROOT"
done
play_in()
{
    mkdir "$work/$1"
    tar -xzf build-linux/rockdrift-linux-x64.tar.gz -C "$work/$1"
    eval "root=\$root_$1"
    ROCKDRIFT_BACKENDS=archive ROCKDRIFT_SYSTEM=$1 ROCKDRIFT_GAME=$work/$1/rockdrift/rockdrift \
        ROCKDRIFT_LAUNCHER="$(pwd)/scripts/lib/in-root.sh $root $work/$1:$work/$1 --" build/game_tests --gtest_brief=1
}
echo "Playing the archive in Debian bullseye, bookworm and trixie"
side_by_side play_in bullseye bookworm trixie
