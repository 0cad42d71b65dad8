# The Debian packages each task needs; sourced by the other scripts.
BUILD_PACKAGES="cmake g++ make pkg-config libsdl2-dev libsdl2-image-dev libsdl2-gfx-dev"
# A release is built with Debian's hardening flags, which dpkg-buildflags gives.
RELEASE_PACKAGES="$BUILD_PACKAGES dpkg-dev"
# The end-to-end tests run the game on a private X server and type into it,
# and on Weston for a Wayland desktop without X.
TEST_PACKAGES="$RELEASE_PACKAGES libgtest-dev libbenchmark-dev libx11-dev zlib1g-dev xvfb xdotool weston"
# The art tool squeezes the images it draws with zopflipng; the test builds
# compile through ccache.
TEST_PACKAGES="$TEST_PACKAGES zopfli ccache"
# The fuzz target of the game world is built with clang and its libFuzzer.
TEST_PACKAGES="$TEST_PACKAGES clang libclang-rt-14-dev"
# The Debian package: cpack lists its dependencies with dpkg-shlibdeps (which
# needs file); the install test checks the package, its desktop entry and its
# AppStream metadata.
PACKAGE_PACKAGES="$RELEASE_PACKAGES file"
TEST_PACKAGES="$TEST_PACKAGES $PACKAGE_PACKAGES desktop-file-utils lintian appstream"
# The browser build: emcc cross-builds the libraries and the game
# (scripts/build-web.sh); its tests drive Debian's Chromium and Firefox ESR
# from Node, and WebKitGTK's browser through its WebDriver server (on Xvfb,
# which the other tests have too).
WEB_PACKAGES="cmake make patch pkg-config python3 emscripten"
WEB_TEST_PACKAGES="$WEB_PACKAGES $TEST_PACKAGES chromium firefox-esr webkit2gtk-driver"
# The Windows release: cross-built with mingw-w64, zipped, and played under
# Wine (64-bit only: the game is one x86-64 program).
# icoutils makes the program's icon and reads it back in the tests.
WINDOWS_PACKAGES="cmake make pkg-config mingw-w64 icoutils zip unzip wine wine64"
# The Linux archive that runs on any distribution (scripts/build-linux.sh) is
# built in a Debian 11 system made with debootstrap, with the compiler, CMake
# and the headers of the X11, Wayland and OpenGL libraries that SDL opens at
# run time. Its test plays it in fresh Debian 11, 12 and 13 systems that have
# a desktop's X, Wayland and OpenGL libraries but no SDL, and on Weston for a
# Wayland desktop without X.
LINUX_PACKAGES="debootstrap"
LINUX_BUILD_ROOT_PACKAGES="g++ make cmake pkg-config libx11-dev libxext-dev libxcursor-dev libxi-dev libxrandr-dev
    libxfixes-dev libxrender-dev libxss-dev libwayland-dev libxkbcommon-dev libegl-dev libgl-dev libgles-dev"
LINUX_PLAY_ROOT_PACKAGES="libx11-6 libxext6 libxcursor1 libxi6 libxrandr2 libxfixes3 libxrender1 libxss1
    libxkbcommon0 libwayland-client0 libwayland-cursor0 libwayland-egl1 libgl1 libegl1 libglx-mesa0 libegl-mesa0
    libgl1-mesa-dri"
LINUX_TEST_PACKAGES="$TEST_PACKAGES $LINUX_PACKAGES"
