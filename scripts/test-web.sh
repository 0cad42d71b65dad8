#!/bin/sh
# Builds the browser site (scripts/build-web.sh), serves it on 127.0.0.1 and
# plays it in Debian's headless Chromium through puppeteer-core
# (tests/web_game_test.cpp, driving tests/web/driver.mjs): the ready screen,
# play, firing, Escape, game over, the tick rate, and a site without its
# images.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
. scripts/packages.sh
. scripts/step.sh
. scripts/web-driver.sh

STEP_LOGS=$ROOT/build-web/logs

step "Installing Chromium, Node and puppeteer-core" install_driver
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

echo "Playing the site in headless Chromium"
ROCKDRIFT_WEB_URL=http://127.0.0.1:$web_port/site/ ROCKDRIFT_WEB_BARE_URL=http://127.0.0.1:$web_port/site-bare/ \
    build/web_game_tests
