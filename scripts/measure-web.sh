#!/bin/sh
# Measures the browser build and writes its figures into docs/performance.md
# (the section marked scripts/measure-web.sh; the rest is written by hand):
# the first visit's bytes, the first start on a throttled phone and
# Lighthouse (bench/web/measure.mjs), then the desktop browser's first ready
# frame, main thread and ticks (bench/web/measure.py).
#
# Usage: scripts/measure-web.sh [EARLIER_SITE]
# An earlier build's site folder (build-web/site of another checkout) is
# measured side by side with this one, in the same rounds, since absolute
# times drift between machines and hours.
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/web-driver.sh

echo "Installing Chromium, Node and the driver's packages"
install_driver >/dev/null
scripts/build-web.sh
measured=build-web/measured.md
echo "Measuring (about ten minutes a site)"
{
    node bench/web/measure.mjs ${1:+"$1"} build-web/site
    for site in ${1:+"$1"} build-web/site; do
        printf '\nOn a desktop, %s:\n\n' "$site"
        python3 bench/web/measure.py "$site"
    done
} >"$measured"
write_section docs/performance.md scripts/measure-web.sh "$measured"
cat "$measured"
