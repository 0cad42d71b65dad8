#!/bin/sh
# Builds the Debian package build-pkg/rockdrift_<version>_<arch>.deb, for
# `sudo apt install ./build-pkg/rockdrift_<version>_<arch>.deb`. Installs
# whatever Debian packages the build needs first.
set -eu
. "$(dirname "$0")/lib/common.sh"
# shellcheck disable=SC2086
need $PACKAGE_PACKAGES

packaging/build-release.sh
rm -f build-pkg/rockdrift_*.deb
(cd build-pkg && cpack)
