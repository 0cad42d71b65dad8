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

STEP_LOGS=$ROOT/build-web/logs

# shellcheck disable=SC2086
step "Installing missing packages" scripts/deps.sh $WEB_TEST_PACKAGES
command -v node >/dev/null || step "Installing Node" scripts/deps.sh nodejs
# Debian's npm only where none came with Node: the two can conflict.
command -v npm >/dev/null || step "Installing npm" scripts/deps.sh npm

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

# From the lock file, through npm's own registry configuration; the browser
# is Debian's, so none is downloaded.
step "Installing puppeteer-core (npm ci)" env PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefix tests/web --no-audit --no-fund

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web >"$STEP_LOGS/server.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT INT TERM
# Up to five seconds for the server to answer.
for _ in $(seq 50); do
    python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
    sleep 0.1
done
echo "Serving build-web on 127.0.0.1:$port"

echo "Playing the site in headless Chromium"
ROCKDRIFT_WEB_URL=http://127.0.0.1:$port/site/ ROCKDRIFT_WEB_BARE_URL=http://127.0.0.1:$port/site-bare/ \
    build/web_game_tests
