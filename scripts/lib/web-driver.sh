# shellcheck shell=sh
# What the browser tests and the browser measurements share; sourced by
# scripts/test-web.sh and scripts/measure-web.sh, after scripts/lib/common.sh.
#
#   install_driver    Debian's Chromium, Firefox ESR, WebKitGTK's WebDriver
#                     and Node, and the driver's npm packages from
#                     tests/support/web/package-lock.json (no browser is
#                     downloaded)
install_driver()
{
    # shellcheck disable=SC2086
    need $WEB_TEST_PACKAGES
    command -v node >/dev/null || need nodejs
    # Debian's npm only where none came with Node: the two can conflict.
    command -v npm >/dev/null || need npm
    # Through npm's own registry configuration.
    PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefix tests/support/web --no-audit --no-fund
}
