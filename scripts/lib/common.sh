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
