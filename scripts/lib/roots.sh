# shellcheck shell=sh
# Minimal Debian systems made with debootstrap, from the archive this
# machine's apt already uses: the oldest system the Linux archive supports,
# to build it on, and fresh systems to play it on. Sourced (after
# scripts/lib/common.sh) by scripts/build-linux.sh and scripts/test-linux.sh.
# Each root is made once and kept in the cache, keyed by its suite, its
# packages and this recipe:
#
#   debian_root SUITE PACKAGE...   sets ROOT to a minbase system of that
#                                  Debian release with those packages
#
# Commands run inside a root through scripts/lib/in-root.sh. Making one, like
# entering one, needs root.

# The URI of the first Debian archive among the machine's deb entries, in the
# deb822 .sources files or the one-line lists; the security archive holds
# only updates.
debian_mirror()
{
    {
        for list in /etc/apt/sources.list.d/*.sources; do
            [ -e "$list" ] || continue
            awk 'BEGIN { RS = ""; FS = "\n" }
                { deb = 0; security = 0; uri = ""
                  for (i = 1; i <= NF; i++) {
                      if ($i ~ /^Types:.*[[:space:]]deb([[:space:]]|$)/) deb = 1
                      if ($i ~ /^Suites:.*-security/) security = 1
                      if ($i ~ /^URIs:/) { split($i, word, /[[:space:]]+/); uri = word[2] }
                  }
                  if (deb && !security && uri != "") print uri }' "$list"
        done
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | sed -n 's/\[[^]]*\]//; s/^deb[[:space:]]\+//p' |
            grep -v -- '-security' | awk '{ print $1 }'
    } | head -n 1 | grep . || {
        echo "No Debian archive among apt's deb entries" >&2
        return 1
    }
}

make_root()
{
    debootstrap --variant=minbase --include="$2" "$1" "$3" "$(debian_mirror)"
    # The packages are installed; their files are not needed again.
    rm -rf "$3"/var/cache/apt/archives/*.deb "$3"/var/lib/apt/lists/*
}

debian_root()
{
    suite=$1
    shift
    packages=$(echo "$@" | tr ' ' ',')
    key=$(echo "$packages" | cat - scripts/lib/roots.sh | sha256sum | cut -c 1-12)
    ROOT=$ROCKDRIFT_CACHE/roots/${suite}_$key
    cached "$ROOT" "Making a Debian $suite system with debootstrap" make_root "$suite" "$packages" "$ROOT"
}
