#!/bin/sh
# Measures the browser build in headless Chromium and prints the figures of
# docs/performance.md ("In the browser"): download sizes, load time to the
# first ready frame, main-thread load and the tick rate.
set -eu
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
. scripts/lib/web-driver.sh

echo "Installing Chromium, Node and puppeteer-core"
install_driver >/dev/null
scripts/build-web.sh
mkdir -p build-web/floor
cp tests/ports/web/floor.html build-web/floor/index.html
serve_build_web
echo "Measuring (about four minutes)"
python3 tests/ports/web/measure.py "http://127.0.0.1:$web_port/site/" "http://127.0.0.1:$web_port/floor/"
