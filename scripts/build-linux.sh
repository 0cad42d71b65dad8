#!/bin/sh
# Builds the Linux game that runs on any distribution:
# build-linux/rockdrift-linux-x64.tar.gz, one folder rockdrift/ with the game
# (SDL2, SDL2_image, SDL2_gfx and the C++ runtime linked in), a launcher
# beside it, its images, the license texts and a README for players.
#
# It is built inside a Debian 11 system made with debootstrap, with that
# system's GCC and C library, so that it asks nothing newer of the player's
# system. That system and the libraries are made once and kept in the cache
# (see scripts/lib/sources.sh and scripts/lib/roots.sh), keyed by their versions and
# recipes. Needs root, for debootstrap and chroot.
set -eu
. "$(dirname "$0")/lib/common.sh"
. scripts/lib/archive.sh
. scripts/lib/sources.sh
. scripts/lib/roots.sh
. scripts/lib/version.sh

if [ "$(id -u)" -ne 0 ]; then
    echo "build-linux: making and entering the Debian 11 build system needs root (see docs/building.md)" >&2
    exit 1
fi

OUT=build-linux
STEP_LOGS=$OUT/logs
ARCHIVE=$OUT/rockdrift-linux-x64.tar.gz

# shellcheck disable=SC2086
need $LINUX_PACKAGES
fetch_sources
# shellcheck disable=SC2086
debian_root bullseye $LINUX_BUILD_ROOT_PACKAGES

recipe=$(cat packaging/libraries.sh packaging/linux/libraries.sh | sha256sum | cut -c 1-12)
PREFIX=$ROCKDRIFT_CACHE/linux/${SOURCES_KEY}_$(basename "$ROOT")_$recipe

# Runs a shell command in the build system, in this tree. Paths there are
# the same on every machine, so the same sources make the same game.
in_build_system()
{
    mkdir -p "$PREFIX"
    scripts/lib/in-root.sh "$ROOT" "$ROCKDRIFT_CACHE/sources:/rockdrift/sources" "$PREFIX:/rockdrift/prefix" \
        "$(pwd):/rockdrift/game" -- env SDL2_SOURCE="/rockdrift/sources/$(basename "$SDL2_SOURCE")" \
        SDL2_IMAGE_SOURCE="/rockdrift/sources/$(basename "$SDL2_IMAGE_SOURCE")" \
        SDL2_GFX_SOURCE="/rockdrift/sources/$(basename "$SDL2_GFX_SOURCE")" sh -c "cd /rockdrift/game && $1"
}

# The prefix is written into the libraries' pkg-config and CMake files, so
# they are built where they stay.
build_libraries()
{
    for library in sdl2 sdl2_image sdl2_gfx; do
        in_build_system ". packaging/linux/libraries.sh && build_$library /rockdrift/prefix /tmp"
    done
    # SDL leaves out what it finds no headers for, without failing.
    for driver in X11 WAYLAND; do
        grep -q "^#define SDL_VIDEO_DRIVER_${driver}_DYNAMIC " "$PREFIX/include/SDL2/SDL_config.h" || {
            echo "SDL2 was built without its $driver video driver"
            return 1
        }
    done
}
cached "$PREFIX" "Building SDL2, SDL2_image and SDL2_gfx in Debian 11" build_libraries

# GCC 10's C++ runtime goes into the game: the player's may be older.
step "Building the game in Debian 11" in_build_system "
    export PKG_CONFIG_LIBDIR=/rockdrift/prefix/lib/pkgconfig &&
    cmake -S . -B $OUT/game -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_WERROR=ON -DROCKDRIFT_TESTS=OFF \
        -DROCKDRIFT_BENCHMARKS=OFF -DCMAKE_EXE_LINKER_FLAGS='-static-libstdc++ -static-libgcc' &&
    cmake --build $OUT/game -j 2 --target rockdrift &&
    strip --strip-all --remove-section=.comment -o $OUT/game/rockdrift-stripped $OUT/game/rockdrift"

# The same bytes from the same sources (see scripts/lib/archive.sh).
make_archive()
{
    stage=$OUT/stage
    rm -rf "$stage" "$ARCHIVE"
    mkdir -p "$stage/rockdrift/assets"
    cp "$OUT/game/rockdrift-stripped" "$stage/rockdrift/rockdrift"
    # The installed game's launcher, with the game and its images beside it.
    sed 's|@LAUNCHER_TO_DATA@|.|; s|@LAUNCHER_TO_GAME@|rockdrift|' packaging/rockdrift.in >"$stage/rockdrift/rockdrift.sh"
    cp assets/*.png "$stage/rockdrift/assets/"
    sed "s/@VERSION@/$VERSION/" packaging/linux/README.txt >"$stage/rockdrift/README.txt"
    cp LICENSE "$stage/rockdrift/LICENSE"
    library_licenses "$stage/rockdrift/licenses"
    # Linked in by the compiler: the C++ runtime and libgcc of GCC 10.
    cp "$ROOT"/usr/share/doc/gcc-10-base/copyright "$stage/rockdrift/licenses/gcc-runtime.txt"
    settle "$stage/rockdrift" rockdrift rockdrift.sh
    tar_folder "$stage" rockdrift "$ARCHIVE"
}
step "Writing $ARCHIVE" make_archive
echo "  $ARCHIVE: $(stat -c %s "$ARCHIVE") bytes"
