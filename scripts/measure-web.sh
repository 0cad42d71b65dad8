#!/bin/sh
# Measures the browser build in headless Chromium and prints the figures of
# docs/performance.md ("In the browser"): download sizes, load time to the
# first ready frame, main-thread load and the tick rate.
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/web-driver.sh

echo "Installing Chromium, Node and puppeteer-core"
install_driver >/dev/null
scripts/build-web.sh
echo "Measuring (about four minutes)"
python3 bench/web/measure.py build-web/site
