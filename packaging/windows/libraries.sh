# shellcheck shell=sh
# How SDL2, SDL2_image and SDL2_gfx are cross-built for Windows (see
# packaging/libraries.sh for the recipe both ports share). Sourced by
# scripts/build-windows.sh, which caches the result under a key that includes
# a hash of both files, so any change here builds them again.
. packaging/libraries.sh

WINDOWS_TOOLCHAIN=$(pwd)/packaging/windows/toolchain-x86_64.cmake
CONFIGURE_HOST=x86_64-w64-mingw32
# No OpenGL ES, Windows audio or XInput controllers: Direct3D draws.
SDL2_PORT_OPTIONS="-DSDL_OPENGLES=OFF -DSDL_WASAPI=OFF -DSDL_XINPUT=OFF"

target_cmake()
{
    prefix=$1
    shift
    cmake -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" -DROCKDRIFT_WINDOWS_PREFIX="$prefix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@"
}
