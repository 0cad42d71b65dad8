# shellcheck shell=sh
# The opening every command shares, sourced first: the project's folder as
# the working directory, the Debian packages each task needs
# (scripts/lib/packages.sh), named steps and the cache (scripts/lib/step.sh),
# and `need PACKAGE...`, which installs whichever of them are missing
# (scripts/lib/deps.sh).
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
. scripts/lib/step.sh
ROCKDRIFT_CACHE=${ROCKDRIFT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/rockdrift}

need()
{
    scripts/lib/deps.sh "$@"
}

# compiler_cache: COMPILER_CACHE becomes the CMake options that compile
# through ccache, where it is installed, with its cache beside the others:
# the test builds of a fresh clone compile only what changed since any
# clone's. Paths are taken from the project's folder, so every clone shares
# the cache. The release builds do without it.
compiler_cache()
{
    COMPILER_CACHE=""
    command -v ccache >/dev/null || return 0
    export CCACHE_DIR="$ROCKDRIFT_CACHE/ccache" CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE=2G
    COMPILER_CACHE="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
}

# write_section PAGE NAME FILE: the lines of PAGE between "<!-- NAME: begin -->"
# and "<!-- NAME: end -->" become those of FILE; the rest of the page, written
# by hand, stays as it is.
write_section()
{
    grep -qx "<!-- $2: begin -->" "$1" && grep -qx "<!-- $2: end -->" "$1" || {
        echo "$1 has no section marked $2" >&2
        return 1
    }
    awk -v begin="<!-- $2: begin -->" -v end="<!-- $2: end -->" -v new="$3" '
        $0 == end { inside = 0 }
        !inside { print }
        $0 == begin { while ((getline line < new) > 0) print line; inside = 1 }
    ' "$1" >"$1.new"
    mv "$1.new" "$1"
}
