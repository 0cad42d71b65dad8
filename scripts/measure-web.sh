#!/bin/sh
# Measures the browser build in headless Chromium and prints the figures of
# docs/performance.md ("In the browser"): download sizes, load time to the
# first ready frame, main-thread load and the tick rate.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
scripts/deps.sh $WEB_PACKAGES chromium
command -v npm >/dev/null || scripts/deps.sh npm

scripts/build-web.sh
echo "Installing puppeteer-core (npm ci)"
PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefix tests/web --no-audit --no-fund >/dev/null

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p build-web/floor
cp tests/web/floor.html build-web/floor/index.html
python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT INT TERM
# Up to five seconds for the server to answer.
for _ in $(seq 50); do
    python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
    sleep 0.1
done
echo "Measuring (about two minutes)"
python3 tests/web/measure.py "http://127.0.0.1:$port/site/" "http://127.0.0.1:$port/floor/"
