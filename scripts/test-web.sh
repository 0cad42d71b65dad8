#!/bin/sh
# Builds the browser site (scripts/build-web.sh), serves it on 127.0.0.1 and
# plays it (tests/ports/web_game_test.cpp, driving tests/ports/web/driver.mjs) in
# Debian's headless Chromium and Firefox ESR, through puppeteer-core, and in
# WebKitGTK, through WebKitWebDriver: the ready screen, play, firing and
# Escape in all three; in Chromium also the fit at every window size, full
# screen, touch play, offline play, game over, the tick rate, and a site
# without its images.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
. scripts/lib/packages.sh
. scripts/lib/step.sh
. scripts/lib/web-driver.sh

STEP_LOGS=$ROOT/build-web/logs

step "Installing the browsers, Node and puppeteer-core" install_driver
scripts/build-web.sh

make_bare_site()
{
    rm -rf build-web/site-bare
    cp -r build-web/site build-web/site-bare
    rm build-web/site-bare/assets.js build-web/site-bare/assets.data
}
step "Copying the site without its images to build-web/site-bare" make_bare_site

# The tests are a Linux program, built with the other tests.
step "Building the browser tests" scripts/build-tests.sh web_game_tests

serve_build_web
echo "Serving build-web on 127.0.0.1:$web_port"

echo "Playing the site in Chromium, Firefox and WebKit"
ROCKDRIFT_WEB_URL=http://127.0.0.1:$web_port/site/ ROCKDRIFT_WEB_BARE_URL=http://127.0.0.1:$web_port/site-bare/ \
    ROCKDRIFT_WEB_SITE=$ROOT/build-web/site build/web_game_tests
