# The Debian packages each task needs; sourced by the other scripts.
BUILD_PACKAGES="cmake g++ make pkg-config libsdl2-dev libsdl2-image-dev libsdl2-gfx-dev"
TEST_PACKAGES="$BUILD_PACKAGES libgtest-dev"
