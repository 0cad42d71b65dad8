#!/bin/sh
# Builds the Windows release: build-windows/rockdrift-windows-x64.zip, one
# folder rockdrift/ with rockdrift.exe (everything linked in), its images, the
# license texts and a README for players. SDL2, SDL2_image and SDL2_gfx are
# cross-built once from Debian's sources and kept in the cache (see
# scripts/lib/sources.sh), keyed by their versions, the compiler's and the recipe's.
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/archive.sh
. scripts/lib/sources.sh
. scripts/lib/version.sh
. packaging/windows/libraries.sh

OUT=build-windows
STEP_LOGS=$OUT/logs
ZIP=$OUT/rockdrift-windows-x64.zip

# shellcheck disable=SC2086
need $WINDOWS_PACKAGES
fetch_sources

# The recipe: how the libraries are built, and the exact compiler package.
recipe=$({
    cat packaging/libraries.sh packaging/windows/libraries.sh "$WINDOWS_TOOLCHAIN"
    dpkg-query -W -f '${Version}' gcc-mingw-w64-x86-64-win32 2>/dev/null || true
} | sha256sum | cut -c 1-12)
PREFIX=$ROCKDRIFT_CACHE/windows/${SOURCES_KEY}_gcc-$(x86_64-w64-mingw32-gcc -dumpfullversion)_$recipe
# The prefix is written into the libraries' pkg-config and CMake files, so
# they are built where they stay.
build_libraries()
{
    mkdir -p "$PREFIX.work"
    for library in sdl2 sdl2_image sdl2_gfx; do
        echo "Cross-building $library"
        "build_$library" "$PREFIX" "$PREFIX.work"
    done
    rm -rf "$PREFIX.work"
}
cached "$PREFIX" "Cross-building SDL2, SDL2_image and SDL2_gfx with mingw-w64 (a few minutes)" build_libraries

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

# The same bytes from the same sources (see scripts/lib/archive.sh).
make_zip()
{
    stage=$OUT/stage
    rm -rf "$stage" "$ZIP"
    mkdir -p "$stage/rockdrift/assets" "$stage/rockdrift/licenses"
    cp "$OUT/game/rockdrift-stripped.exe" "$stage/rockdrift/rockdrift.exe"
    cp assets/*.png "$stage/rockdrift/assets/"
    sed "s/@VERSION@/$VERSION/" packaging/windows/README.txt >"$stage/README.txt"
    crlf "$stage/README.txt" "$stage/rockdrift/README.txt"
    crlf LICENSE "$stage/rockdrift/LICENSE.txt"
    library_licenses "$stage/licenses"
    for text in "$stage"/licenses/*.txt; do
        crlf "$text" "$stage/rockdrift/licenses/$(basename "$text")"
    done
    # Linked in by the compiler: its C runtime, and the C++ runtime of GCC.
    crlf /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/rockdrift/licenses/mingw-w64-runtime.txt"
    crlf /usr/share/doc/gcc-mingw-w64-x86-64-win32-runtime/copyright "$stage/rockdrift/licenses/gcc-runtime.txt"
    settle "$stage/rockdrift"
    zip_folder "$stage" rockdrift "$ZIP"
}
step "Writing $ZIP" make_zip
echo "  $ZIP: $(stat -c %s "$ZIP") bytes"
