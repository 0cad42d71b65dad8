#!/bin/sh
# Serves the browser build (build-web/site, from scripts/build-web.sh) on
# this machine only: open http://127.0.0.1:PORT/ (default port 8000).
set -eu
. "$(dirname "$0")/lib/common.sh"
port=${1:-8000}
[ -f build-web/site/index.html ] || { echo "No site yet: run scripts/build-web.sh first" >&2; exit 1; }
echo "Rockdrift: http://127.0.0.1:$port/ (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
