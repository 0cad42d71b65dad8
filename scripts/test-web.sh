#!/bin/sh
# Builds the browser site (scripts/build-web.sh) and plays it in Debian's
# headless Chromium and Firefox ESR, through puppeteer-core, and in
# WebKitGTK, through WebKitWebDriver (tests/support/web/driver.mjs, which
# serves the site itself): every scenario of the real game that a page can
# play (tests/game/game_test.cpp), in all three, and the page's own tests
# (tests/game/page_test.cpp).
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/web-driver.sh
STEP_LOGS=build-web/logs

step "Installing the browsers, Node and the driver's packages" install_driver
scripts/build-web.sh

make_bare_site()
{
    rm -rf build-web/site-bare
    cp -r build-web/site build-web/site-bare
    rm build-web/site-bare/assets.json build-web/site-bare/assets.data
}
step "Copying the site without its images to build-web/site-bare" make_bare_site

# The tests are a Linux program, built with the other tests.
step "Building the tests" scripts/build-tests.sh game_tests

# One engine a program, all three at once.
play_in()
{
    ROCKDRIFT_BACKENDS=$1 ROCKDRIFT_WEB_SITE="$(pwd)/build-web/site" ROCKDRIFT_WEB_BARE_SITE="$(pwd)/build-web/site-bare" \
        build/game_tests --gtest_brief=1
}
echo "Playing the site in Chromium, Firefox and WebKit"
side_by_side play_in chromium firefox webkit

# The first visit on a throttled phone and Lighthouse, once each, as figures
# for whoever runs the stage; they gate nothing (scripts/measure-web.sh takes
# them properly). CI leaves them out to keep its time.
if [ "${CI:-}" != true ]; then
    echo "Measuring the first visit (bench/web/measure.mjs --quick)"
    node bench/web/measure.mjs --quick build-web/site || echo "The measurement failed; the tests passed."
fi
