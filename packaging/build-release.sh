#!/bin/sh
# Builds the release that scripts/install.sh and scripts/package.sh install
# from: the game alone, optimised, in build-pkg/, with Debian's hardening
# flags (fortified functions, stack protector, full RELRO and bind-now).
set -eu
cd "$(dirname "$0")/.."
DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_BUILD_MAINT_OPTIONS
cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_TESTS=OFF -DROCKDRIFT_BENCHMARKS=OFF \
    -DROCKDRIFT_SANITIZE=OFF -DROCKDRIFT_WERROR=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build-pkg -j "$(nproc)"
