#!/bin/sh
# Installs the game the ways a player can and starts each installed command
# from an unrelated directory on a private X server: scripts/install.sh into a
# temporary prefix, then the Debian package from scripts/package.sh, checked
# with lintian and, when run as root, installed with dpkg and removed again.
set -eu
. "$(dirname "$0")/lib/common.sh"
STEP_LOGS=build-pkg/logs
# shellcheck disable=SC2086
need $TEST_PACKAGES

fail()
{
    echo "test-install: $*" >&2
    exit 1
}

# Nothing on the console means a valid entry, without even a hint.
validate_desktop_entry()
{
    report=$(desktop-file-validate "$1" 2>&1) || fail "desktop-file-validate: $report"
    [ -z "$report" ] || fail "desktop-file-validate: $report"
    echo "desktop-file-validate $1: valid"
}

# AppStream metadata that software centres accept, without a single remark.
validate_metainfo()
{
    report=$(appstreamcli validate --no-net --pedantic "$1" 2>&1) || fail "appstreamcli: $report"
    echo "$report" | grep -q '^[EWIP]: ' && fail "appstreamcli: $report"
    echo "appstreamcli validate $1: valid"
}

# The tests are a program of this machine, built with the other tests.
step "Building the tests" scripts/build-tests.sh game_tests
# Every scenario of the real game that applies to an installed game.
installed_game_tests()
{
    ROCKDRIFT_BACKENDS=installed ROCKDRIFT_COMMAND="$1" build/game_tests --gtest_brief=1
}

prefix=$(mktemp -d /tmp/rockdrift-prefix.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
scripts/install.sh "$prefix"
[ "$(find "$prefix/share/rockdrift/assets" -name '*.png' | wc -l)" -eq 378 ] || fail "not every image is installed"
validate_desktop_entry "$prefix/share/applications/rockdrift.desktop"
validate_metainfo "$prefix/share/metainfo/org.rockdrift.rockdrift.metainfo.xml"
installed_game_tests "$prefix/bin/rockdrift"

scripts/package.sh
deb=$(ls build-pkg/rockdrift_*.deb)
echo "$deb: $(stat -c %s "$deb") bytes"
# Not one tag, down to the pedantic and informational ones: among them, a
# binary built without Debian's hardening flags or left with unneeded sections.
tags=$(lintian --pedantic --display-info "$deb" 2>/dev/null) || fail "lintian failed on $deb: $tags"
[ -z "$tags" ] || fail "lintian on $deb: $tags"
echo "lintian --pedantic --display-info $deb: no tags"

if [ "$(id -u)" -ne 0 ]; then
    echo "Not root: the package is not installed."
elif dpkg-query -W -f='${Status}' rockdrift 2>/dev/null | grep -q "ok installed"; then
    echo "rockdrift is already installed on this machine: leaving it alone."
else
    trap 'dpkg --purge rockdrift >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
    dpkg --install "$deb"
    validate_desktop_entry /usr/share/applications/rockdrift.desktop
    validate_metainfo /usr/share/metainfo/org.rockdrift.rockdrift.metainfo.xml
    installed_game_tests /usr/games/rockdrift
    dpkg --purge rockdrift
    for left in /usr/games/rockdrift /usr/libexec/rockdrift /usr/share/rockdrift /usr/share/doc/rockdrift \
        /usr/share/metainfo/org.rockdrift.rockdrift.metainfo.xml; do
        [ ! -e "$left" ] || fail "$left is still there after removing the package"
    done
fi
echo "test-install: the installed game starts from anywhere"
