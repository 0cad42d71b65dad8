#!/bin/sh
# Builds the game for the browser and writes a static site to
# build-web/site/: the page (index.html, its manifest, icons and service
# worker), rockdrift.js (minified with terser, from npm), rockdrift.wasm, and
# the images' package, assets.data with its list, assets.json. Any web server
# can host that folder (scripts/serve-web.sh serves it here).
#
# SDL2, SDL2_image and SDL2_gfx are cross-built with emcc from Debian's
# sources once, into the cache (ROCKDRIFT_CACHE, see scripts/lib/sources.sh),
# under a key made of their versions, emcc's version and the recipe
# (web/deps/), so later runs skip straight to the game.
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/sources.sh
ROOT=$(pwd)

JOBS=${JOBS:-2}
STEP_LOGS=$ROOT/build-web/logs

# Debian's emcc runs its tools with Node and needs Debian's modules (acorn,
# terser...) even when the node on the PATH comes from elsewhere.
NODE_PATH=/usr/share/nodejs:/usr/lib/nodejs${NODE_PATH:+:$NODE_PATH}
export NODE_PATH

# shellcheck disable=SC2086
need $WEB_PACKAGES
command -v npm >/dev/null || need npm
fetch_sources

emcc_version=$(emcc -dumpversion)
recipe=$(cat web/deps/CMakeLists.txt web/deps/sdl2.patch | sha256sum | cut -c1-12)
PREFIX=$ROCKDRIFT_CACHE/web/${SOURCES_KEY}_emcc-${emcc_version}_$recipe

build_libraries()
{
    work=$PREFIX.build
    rm -rf "$work"
    mkdir -p "$work"
    # The shared source tree stays as Debian ships it; the patch goes on a copy.
    cp -r "$SDL2_SOURCE" "$work/sdl2"
    patch -d "$work/sdl2" -p1 <web/deps/sdl2.patch
    emcmake cmake -S web/deps -B "$work/build" -DCMAKE_INSTALL_PREFIX="$PREFIX" -DSDL2_SOURCE="$work/sdl2" \
        -DSDL2_IMAGE_SOURCE="$SDL2_IMAGE_SOURCE" -DSDL2_GFX_SOURCE="$SDL2_GFX_SOURCE"
    cmake --build "$work/build" -j "$JOBS"
    cmake --install "$work/build"
    rm -rf "$work"
}
cached "$PREFIX" "Cross-building SDL2, SDL2_image and SDL2_gfx with emcc" build_libraries

# CMake keeps what pkg-config first found, so a game built against other
# libraries (a recipe before this one) is configured afresh.
if [ "$(cat build-web/game/libraries 2>/dev/null)" != "$PREFIX" ]; then
    rm -rf build-web/game
    mkdir -p build-web/game
    echo "$PREFIX" >build-web/game/libraries
fi
# emcmake leaves pkg-config looking at the build machine's libraries, and
# CMake only finds libraries under the toolchain's roots.
step "Configuring the game for the browser" env PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig" \
    emcmake cmake -S . -B build-web/game -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_WERROR=ON \
    -DROCKDRIFT_TESTS=OFF -DROCKDRIFT_BENCHMARKS=OFF -DCMAKE_FIND_ROOT_PATH="$PREFIX"
step "Building the game with emcc" cmake --build build-web/game -j "$JOBS"

make_site()
{
    site=build-web/site
    rm -rf "$site"
    mkdir -p "$site"
    cp web/manifest.webmanifest "$site/"
    for size in 192 512; do
        cp "data/icons/${size}x$size/apps/rockdrift.png" "$site/icon-$size.png"
    done
    for file in rockdrift.wasm assets.data assets.json; do
        cp "build-web/game/$file" "$site/$file"
    done
    # Only the page's own names are kept; emscripten's code is compressed and
    # its names shortened.
    node web/node_modules/terser/bin/terser build-web/game/rockdrift.js --compress passes=2 \
        --mangle reserved=[Module] --toplevel --output "$site/rockdrift.js"
    # The page's loading bar counts the bytes of the two large downloads.
    bytes=$(($(wc -c <"$site/rockdrift.wasm") + $(wc -c <"$site/assets.data")))
    sed "s/@DOWNLOAD_BYTES@/$bytes/" web/index.html >"$site/index.html"
    # The offline cache is named after everything else the site holds, so
    # that any change to it reaches players as a new build.
    build=$(cd "$site" && cat index.html manifest.webmanifest icon-*.png rockdrift.* assets.* | sha256sum | cut -c 1-16)
    sed "s/@BUILD@/$build/" web/sw.js >"$site/sw.js"
}
step "Installing terser from npm" npm ci --prefix web --no-audit --no-fund
step "Writing the site to build-web/site" make_site

total=0
total_gzip=0
for file in build-web/site/*; do
    size=$(wc -c <"$file")
    packed=$(gzip -9c "$file" | wc -c)
    total=$((total + size))
    total_gzip=$((total_gzip + packed))
    printf '  %-20s %8d bytes, %8d gzipped\n' "$(basename "$file")" "$size" "$packed"
done
printf '  %-20s %8d bytes, %8d gzipped\n' "total" "$total" "$total_gzip"
