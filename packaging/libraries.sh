# shellcheck shell=sh
# How SDL2, SDL2_image and SDL2_gfx are built as static libraries with only
# what the game uses, for the ports that carry their own copy: Windows
# (packaging/windows/libraries.sh) and the Linux archive
# (packaging/linux/libraries.sh). Each of those sources this file and says
# how its port differs:
#
#   target_cmake PREFIX CMAKE_ARGUMENT...   CMake set up for the port,
#                                           installing into PREFIX
#   SDL2_PORT_OPTIONS                       SDL2's options for the port
#   CONFIGURE_HOST                          autotools' --host (empty: this
#                                           machine's own)
#
#   build_sdl2 PREFIX WORK, build_sdl2_image PREFIX WORK, build_sdl2_gfx
#   PREFIX WORK: each builds one library from SDL2_SOURCE, SDL2_IMAGE_SOURCE
#   or SDL2_GFX_SOURCE in WORK and installs it into PREFIX, in that order.

# The game needs a window, the 2D renderer, events and timers. Sound,
# joysticks and the rest stay out, which also halves the build.
build_sdl2()
{
    # shellcheck disable=SC2086
    target_cmake "$1" -S "$SDL2_SOURCE" -B "$2/sdl2" \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
        -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF \
        -DSDL_VULKAN=OFF $SDL2_PORT_OPTIONS
    cmake --build "$2/sdl2" -j 2
    cmake --install "$2/sdl2"
}

# PNG through the stb decoder that comes with SDL2_image: no libpng, no zlib.
build_sdl2_image()
{
    formats=""
    for format in AVIF BMP GIF JPG JXL LBM PCX PNM QOI SVG TGA TIF WEBP XCF XPM XV; do
        formats="$formats -DSDL2IMAGE_$format=OFF"
    done
    # shellcheck disable=SC2086
    target_cmake "$1" -S "$SDL2_IMAGE_SOURCE" -B "$2/sdl2_image" \
        -DBUILD_SHARED_LIBS=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
        -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_PNG_SAVE=OFF $formats
    cmake --build "$2/sdl2_image" -j 2
    cmake --install "$2/sdl2_image"
    # SDL2_image writes its pkg-config file only for a shared library.
    version=$(sed -n 's/^Version: //p' "$1/lib/pkgconfig/sdl2.pc")
    cat >"$1/lib/pkgconfig/SDL2_image.pc" <<PC
prefix=$1
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SDL2_image
Description: image loading library for Simple DirectMedia Layer (PNG only)
Version: $(basename "$SDL2_IMAGE_SOURCE" | sed 's/^[^_]*_//; s/+.*//')
Requires: sdl2 >= $version
Libs: -L\${libdir} -lSDL2_image
Cflags: -I\${includedir}/SDL2
PC
}

# Autotools, in a copy of the tree that keeps its times (or make would want
# to run automake again). Its SDL2 comes from pkg-config, in the prefix only.
build_sdl2_gfx()
{
    rm -rf "$2/sdl2_gfx"
    cp -Rp "$SDL2_GFX_SOURCE" "$2/sdl2_gfx"
    (
        cd "$2/sdl2_gfx" || exit 1
        export PKG_CONFIG_LIBDIR="$1/lib/pkgconfig" PKG_CONFIG_PATH="" SDL2_CONFIG="$1/bin/sdl2-config"
        ./configure ${CONFIGURE_HOST:+--host=$CONFIGURE_HOST} --prefix="$1" --disable-shared --enable-static \
            --disable-mmx
        make -j 2
        make install
    )
}
