# shellcheck shell=sh
# What the browser tests and the browser measurements share; sourced by
# scripts/test-web.sh and scripts/measure-web.sh.
#
#   install_driver    Debian's Chromium, Firefox ESR, WebKitGTK's WebDriver
#                     and Node, and puppeteer-core from
#                     tests/ports/web/package-lock.json (no browser is downloaded)
#   serve_build_web   serves build-web/ on a free port of 127.0.0.1 in the
#                     background until the script exits; sets web_port

install_driver()
{
    # shellcheck disable=SC2086
    scripts/lib/deps.sh $WEB_TEST_PACKAGES
    command -v node >/dev/null || scripts/lib/deps.sh nodejs
    # Debian's npm only where none came with Node: the two can conflict.
    command -v npm >/dev/null || scripts/lib/deps.sh npm
    # Through npm's own registry configuration.
    PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefix tests/ports/web --no-audit --no-fund
}

serve_build_web()
{
    web_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    python3 -m http.server "$web_port" --bind 127.0.0.1 --directory build-web >"build-web/server.log" 2>&1 &
    web_server=$!
    trap 'kill $web_server 2>/dev/null' EXIT INT TERM
    # Up to five seconds for the server to answer.
    for _ in $(seq 50); do
        python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$web_port/')" 2>/dev/null &&
            return 0
        sleep 0.1
    done
    echo "$(basename "$0"): the server on 127.0.0.1:$web_port does not answer" >&2
    exit 1
}
