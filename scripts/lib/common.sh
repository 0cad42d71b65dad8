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
