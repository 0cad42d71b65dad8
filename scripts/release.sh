#!/bin/sh
# Makes every release file from the commit checked out, into release/:
#
#   rockdrift-VERSION-linux-x64.tar.gz   the Linux archive (scripts/build-linux.sh)
#   rockdrift_VERSION_amd64.deb          the Debian package (scripts/package.sh)
#   rockdrift-VERSION-windows-x64.zip    the Windows release (scripts/build-windows.sh)
#   rockdrift-VERSION-web.zip            the browser site (scripts/build-web.sh)
#   SHA256SUMS                           for sha256sum -c
#
# VERSION is the project's, from CMakeLists.txt. The same commit makes the
# same bytes, so a release can be checked by making it again. A work tree with
# uncommitted changes would make files no commit makes: it is refused unless
# --allow-dirty is given.
#
#   scripts/release.sh [--allow-dirty]
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/archive.sh
. scripts/lib/version.sh
STEP_LOGS=release-logs

case ${1:-} in
--allow-dirty) ;;
"")
    if [ -n "$(git status --porcelain)" ]; then
        echo "release: the work tree has uncommitted changes (see git status); commit them first," >&2
        echo "or run scripts/release.sh --allow-dirty for files that no commit makes" >&2
        exit 1
    fi
    ;;
*)
    echo "usage: scripts/release.sh [--allow-dirty]" >&2
    exit 2
    ;;
esac

# dpkg and CPack date what they write by this, instead of by the clock.
SOURCE_DATE_EPOCH=$(release_time)
export SOURCE_DATE_EPOCH

scripts/build-linux.sh
step "Building the Debian package" scripts/package.sh
scripts/build-windows.sh
scripts/build-web.sh

# The site, in one folder as the other archives are.
zip_site()
{
    rm -rf build-web/release
    mkdir -p build-web/release
    cp -R build-web/site build-web/release/rockdrift
    settle build-web/release/rockdrift
    zip_folder build-web/release rockdrift "$1"
}

rm -rf release
mkdir release
cp build-linux/rockdrift-linux-x64.tar.gz "release/rockdrift-$VERSION-linux-x64.tar.gz"
cp "build-pkg/rockdrift_${VERSION}_amd64.deb" release/
cp build-windows/rockdrift-windows-x64.zip "release/rockdrift-$VERSION-windows-x64.zip"
step "Zipping the site" zip_site "release/rockdrift-$VERSION-web.zip"
(cd release && sha256sum -- * >SHA256SUMS)

echo "Release $VERSION in release/:"
(cd release && for file in *; do printf '  %-36s %9d bytes\n' "$file" "$(stat -c %s "$file")"; done)
