# shellcheck shell=sh
# Debian's own sources of the libraries the game links (SDL2, SDL2_image,
# SDL2_gfx), for the builds that carry their own copy: Windows, the browser
# and the Linux archive. Sourced by those scripts, after
# scripts/lib/common.sh. Everything lands in the cache (ROCKDRIFT_CACHE,
# default ~/.cache/rockdrift), outside any build tree, once per version:
#
#   fetch_sources   sets SDL2_SOURCE, SDL2_IMAGE_SOURCE and SDL2_GFX_SOURCE to
#                   unpacked source trees, and SOURCES_KEY to their versions.
#   library_licenses DIR
#                   writes the license texts of the three libraries, and of
#                   the stb_image decoder inside SDL2_image, into DIR.

# apt only hands out sources with deb-src entries. They are made from the
# machine's own deb entries, so they name the same archive.
enable_source_packages()
{
    apt-cache showsrc libsdl2 2>/dev/null | grep -q '^Package:' && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Debian's source packages are not enabled. As root, add deb-src entries beside the deb ones" >&2
        echo "in /etc/apt/sources.list.d/ and run: apt-get update" >&2
        return 1
    fi
    echo "Enabling Debian's source packages (deb-src, from the existing deb entries)"
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -e "$list" ] || continue
        case $list in */rockdrift-deb-src.sources) continue ;; esac
        # Each stanza whose types include deb, once more as deb-src.
        awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types:[^\n]*[[:space:]]deb([[:space:]]|$)/ {
            sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$list"
    done >/etc/apt/sources.list.d/rockdrift-deb-src.sources
    grep -h '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | sed 's/^deb /deb-src /' \
        >/etc/apt/sources.list.d/rockdrift-deb-src.list
    apt-get update -qq >/dev/null
}

# Downloads one upstream tarball (URI, FILE, HASH) and unpacks its one top
# directory as TREE.
unpack_source()
{
    mkdir -p "$4"
    /usr/lib/apt/apt-helper download-file "$1" "$4/$2" "$3"
    tar -xf "$4/$2" -C "$4" --strip-components=1
    rm "$4/$2"
}

# Sets SOURCE to the tree of one source package's upstream tarball (its .orig
# file, as Debian ships it): the cross builds need the library, not Debian's
# packaging.
fetch_source()
{
    # A line of --print-uris: 'URI' file size hash.
    orig=$(apt-get source --print-uris "$1" 2>/dev/null | grep "^'[^']*' [^ ]*\.orig\.tar\.[a-z0-9]* " | head -n 1)
    [ -n "$orig" ] || { echo "apt has no source package $1" >&2; return 1; }
    file=$(echo "$orig" | cut -d' ' -f2)
    SOURCE=$ROCKDRIFT_CACHE/sources/${file%.orig.tar.*}
    cached "$SOURCE" "Downloading the sources of $1" unpack_source "$(echo "$orig" | cut -d"'" -f2)" "$file" \
        "$(echo "$orig" | cut -d' ' -f4)" "$SOURCE"
}

fetch_sources()
{
    enable_source_packages
    fetch_source libsdl2
    SDL2_SOURCE=$SOURCE
    fetch_source libsdl2-image
    SDL2_IMAGE_SOURCE=$SOURCE
    fetch_source libsdl2-gfx
    SDL2_GFX_SOURCE=$SOURCE
    SOURCES_KEY=$(basename "$SDL2_SOURCE")_$(basename "$SDL2_IMAGE_SOURCE")_$(basename "$SDL2_GFX_SOURCE")
    echo "Library sources: $SOURCES_KEY"
}

library_licenses()
{
    mkdir -p "$1"
    cp "$SDL2_SOURCE/LICENSE.txt" "$1/SDL2.txt"
    cp "$SDL2_IMAGE_SOURCE/LICENSE.txt" "$1/SDL2_image.txt"
    # SDL2_gfx names its license; the text is in its sources' heads.
    {
        cat "$SDL2_GFX_SOURCE/COPYING"
        echo
        sed -n '2,/^\*\//p' "$SDL2_GFX_SOURCE/SDL2_gfxPrimitives.c" | sed '$d'
    } >"$1/SDL2_gfx.txt"
    # SDL2_image decodes PNG with stb_image, whose license ends its header.
    sed -n '/^This software is available under 2 licenses/,/^\*\//p' "$SDL2_IMAGE_SOURCE/stb_image.h" | sed '$d' \
        >"$1/stb_image.txt"
}
