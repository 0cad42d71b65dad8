#!/bin/sh
# Installs the game under PREFIX (default /usr/local): the rockdrift command,
# its images, a desktop entry, icons and a manual page. Installs whatever
# Debian packages the build needs, and uses sudo for a prefix only root may
# write to.
set -eu
prefix=$(realpath -m "${1:-/usr/local}")
. "$(dirname "$0")/lib/common.sh"
# shellcheck disable=SC2086
need $RELEASE_PACKAGES

packaging/build-release.sh
mkdir -p "$prefix" 2>/dev/null || true
if [ -w "$prefix" ]; then
    as_root=""
else
    as_root="sudo"
fi
$as_root cmake --install build-pkg --prefix "$prefix" --strip
