# shellcheck shell=sh
# Release archives that the same commit makes byte for byte the same: every
# file dated by the last commit, in a fixed order, with fixed permissions and
# no owners' names. Sourced by the scripts that write them.
#
#   release_time                   the last commit's time, in seconds since 1970
#   settle FOLDER [EXECUTABLE...]  gives FOLDER's directories and the named
#                                  files mode 755, every other file 644
#   zip_folder PARENT NAME ZIP     zips the folder PARENT/NAME into ZIP
#   tar_folder PARENT NAME TGZ     packs the folder PARENT/NAME into a .tar.gz

release_time()
{
    git log -1 --format=%ct 2>/dev/null || echo 1767225600
}

settle()
{
    folder=$1
    shift
    find "$folder" -type d -exec chmod 755 {} +
    find "$folder" -type f -exec chmod 644 {} +
    for file in "$@"; do
        chmod 755 "$folder/$file"
    done
}

zip_folder()
{
    zip=$(realpath -m "$3")
    rm -f "$zip"
    find "$1/$2" -exec touch -h -d "@$(release_time)" {} +
    (cd "$1" && find "$2" | LC_ALL=C sort | TZ=UTC zip -X -D -q -9 "$zip" -@)
}

tar_folder()
{
    tar -C "$1" --sort=name --mtime="@$(release_time)" --owner=0 --group=0 --numeric-owner -cf - "$2" |
        gzip -9n >"$3"
}
