# Cross-builds for 64-bit Windows with Debian's mingw-w64 compilers. The
# libraries the game links are built into a prefix of their own
# (ROCKDRIFT_WINDOWS_PREFIX, see scripts/build-windows.sh); pkg-config looks
# there and nowhere else, and links them statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${TRIPLET}-windres)

set(ROCKDRIFT_WINDOWS_PREFIX "" CACHE PATH "Where the Windows builds of SDL2, SDL2_image and SDL2_gfx are installed")
# try_compile projects read this file again; they need the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ROCKDRIFT_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${TRIPLET} ${ROCKDRIFT_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR} ${ROCKDRIFT_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(PKG_CONFIG_ARGN --static CACHE STRING "Arguments to supply to pkg-config")

# One program that needs no DLL of the compiler: the C and C++ runtimes are
# linked in, and Windows' own DLLs are all it asks for. No link time in its
# header, so that the same sources make the same program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
