#!/bin/sh
# Builds the Windows release: build-windows/rockdrift-windows-x64.zip, one
# folder rockdrift/ with rockdrift.exe (everything linked in), its images, the
# license texts and a README for players. SDL2, SDL2_image and SDL2_gfx are
# cross-built once from Debian's sources and kept in the cache (see
# scripts/sources.sh), keyed by their versions, the compiler's and the recipe's.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
. scripts/sources.sh
. scripts/step.sh
. packaging/windows/libraries.sh

OUT=build-windows
STEP_LOGS=$OUT/logs
ZIP=$OUT/rockdrift-windows-x64.zip

# shellcheck disable=SC2086
step "Installing missing packages" scripts/deps.sh $WINDOWS_PACKAGES
fetch_sources

# The recipe: how the libraries are built, and the exact compiler package.
recipe=$({
    cat packaging/windows/libraries.sh "$WINDOWS_TOOLCHAIN"
    dpkg-query -W -f '${Version}' gcc-mingw-w64-x86-64-win32 2>/dev/null || true
} | sha256sum | cut -c 1-12)
PREFIX=$ROCKDRIFT_CACHE/windows/${SOURCES_KEY}_gcc-$(x86_64-w64-mingw32-gcc -dumpfullversion)_$recipe
if [ -f "$PREFIX/complete" ]; then
    echo "Libraries for Windows: cached in $PREFIX"
else
    # The prefix is written into the libraries' pkg-config and CMake files, so
    # they are built where they stay, and only marked complete at the end.
    rm -rf "$PREFIX" "$PREFIX.work"
    mkdir -p "$PREFIX.work"
    step "Cross-building SDL2 with mingw-w64 (once; a few minutes)" build_sdl2 "$PREFIX" "$PREFIX.work"
    step "Cross-building SDL2_image (once)" build_sdl2_image "$PREFIX" "$PREFIX.work"
    step "Cross-building SDL2_gfx (once)" build_sdl2_gfx "$PREFIX" "$PREFIX.work"
    rm -rf "$PREFIX.work"
    touch "$PREFIX/complete"
fi

build_game()
{
    cmake -S . -B "$OUT/game" -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" -DROCKDRIFT_WINDOWS_PREFIX="$PREFIX" \
        -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_WERROR=ON -DROCKDRIFT_TESTS=OFF -DROCKDRIFT_BENCHMARKS=OFF
    cmake --build "$OUT/game" -j 2 --target rockdrift
    # strip writes the time into the header again, unless told a fixed one.
    SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip -o "$OUT/game/rockdrift-stripped.exe" "$OUT/game/rockdrift.exe"
}
step "Building the game for Windows" build_game

# Text for Windows' own editors: CR LF line ends.
crlf()
{
    sed 's/\r$//; s/$/\r/' "$1" >"$2"
}

# The same bytes from the same sources: every file dated by the last commit,
# in a fixed order, with fixed permissions and no owners.
make_zip()
{
    stage=$OUT/stage
    rm -rf "$stage" "$ZIP"
    mkdir -p "$stage/rockdrift/assets" "$stage/rockdrift/licenses"
    cp "$OUT/game/rockdrift-stripped.exe" "$stage/rockdrift/rockdrift.exe"
    cp assets/*.png "$stage/rockdrift/assets/"
    crlf packaging/windows/README.txt "$stage/rockdrift/README.txt"
    crlf LICENSE "$stage/rockdrift/LICENSE.txt"
    crlf "$SDL2_SOURCE/LICENSE.txt" "$stage/rockdrift/licenses/SDL2.txt"
    crlf "$SDL2_IMAGE_SOURCE/LICENSE.txt" "$stage/rockdrift/licenses/SDL2_image.txt"
    # SDL2_gfx names its license; the text is in its sources' heads.
    {
        cat "$SDL2_GFX_SOURCE/COPYING"
        echo
        sed -n '2,/^\*\//p' "$SDL2_GFX_SOURCE/SDL2_gfxPrimitives.c" | sed '$d'
    } >"$stage/SDL2_gfx.txt"
    crlf "$stage/SDL2_gfx.txt" "$stage/rockdrift/licenses/SDL2_gfx.txt"
    # SDL2_image decodes PNG with stb_image, whose license ends its header.
    sed -n '/^This software is available under 2 licenses/,/^\*\//p' "$SDL2_IMAGE_SOURCE/stb_image.h" | sed '$d' \
        >"$stage/stb_image.txt"
    crlf "$stage/stb_image.txt" "$stage/rockdrift/licenses/stb_image.txt"
    # Linked in by the compiler: its C runtime, and the C++ runtime of GCC.
    crlf /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/rockdrift/licenses/mingw-w64-runtime.txt"
    crlf /usr/share/doc/gcc-mingw-w64-x86-64-win32-runtime/copyright "$stage/rockdrift/licenses/gcc-runtime.txt"
    find "$stage/rockdrift" -type d -exec chmod 755 {} +
    find "$stage/rockdrift" -type f -exec chmod 644 {} +
    find "$stage" -exec touch -h -d "$(git log -1 --format=%cI 2>/dev/null || echo 2026-01-01T00:00:00Z)" {} +
    (cd "$stage" && find rockdrift | LC_ALL=C sort | TZ=UTC zip -X -D -q -9 "../$(basename "$ZIP")" -@)
}
step "Writing $ZIP" make_zip
echo "  $ZIP: $(stat -c %s "$ZIP") bytes"
