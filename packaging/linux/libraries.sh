# shellcheck shell=sh
# How SDL2, SDL2_image and SDL2_gfx are built for the Linux archive (see
# packaging/libraries.sh for the recipe both ports share), inside the Debian
# 11 build root of scripts/build-linux.sh, so that the game asks for nothing
# newer than that system's C library. The result is cached under a key that
# includes a hash of both files.
. packaging/libraries.sh

CONFIGURE_HOST=""
# X11 and Wayland both, but their libraries (and OpenGL's) are opened at run
# time from the player's system: a desktop has them, and a missing one only
# rules out that way of drawing. D-Bus, udev and the console drivers stay out;
# Debian 11 has no libdecor, so on Wayland the compositor decorates the
# window if it does so.
SDL2_PORT_OPTIONS="-DSDL_X11=ON -DSDL_X11_SHARED=ON -DSDL_WAYLAND=ON -DSDL_WAYLAND_SHARED=ON
    -DSDL_WAYLAND_LIBDECOR=OFF -DSDL_DBUS=OFF -DSDL_IBUS=OFF -DSDL_LIBUDEV=OFF -DSDL_KMSDRM=OFF -DSDL_RPI=OFF
    -DSDL_VIVANTE=OFF -DSDL_DIRECTFB=OFF"

target_cmake()
{
    prefix=$1
    shift
    cmake -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release "$@"
}
