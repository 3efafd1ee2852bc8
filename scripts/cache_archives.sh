# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/windows.sh and scripts/web.sh. VELTRIN_CACHE_ARCHIVES may
# name a folder of tar.xz archives of finished cache folders (each folder at
# the archive's top, with its veltrin-*-complete stamp), listed with their
# sums in that folder's SHA256SUMS. A build the cache lacks is then unpacked
# from there instead of being built from source; without the variable, or
# with no archive holding that build, nothing changes.

# from_cache_archives CACHE NAME STAMP: true when CACHE/NAME now holds the
# finished build NAME (whose last file is NAME/STAMP) from an archive.
from_cache_archives() {
    local cache=$1 name=$2 stamp=$3
    local folder=${VELTRIN_CACHE_ARCHIVES:-}
    [[ -n "$folder" ]] || return 1
    if [[ ! -d "$folder" ]]; then
        echo "VELTRIN_CACHE_ARCHIVES: no folder $folder, $name is built from source" >&2
        return 1
    fi
    local archive
    for archive in "$folder"/*.tar.xz; do
        [[ -f "$archive" ]] || continue
        local file=${archive##*/}
        # Used only when its sum is the one listed beside it: a damaged or
        # foreign archive stops the build rather than feeding it.
        local expected actual
        expected=$(awk -v file="$file" '$2 == file || $2 == "*" file { print $1 }' \
            "$folder/SHA256SUMS" 2>/dev/null | head -n1)
        if [[ -z "$expected" ]]; then
            echo "$archive has no sum in $folder/SHA256SUMS: not used" >&2
            continue
        fi
        actual=$(sha256sum "$archive" | cut -d' ' -f1)
        if [[ "$actual" != "$expected" ]]; then
            echo "$archive does not match its sum in $folder/SHA256SUMS ($actual, not $expected)" >&2
            exit 1
        fi
        # What an archive holds is read once.
        mkdir -p "$cache"
        local listing=$cache/.archive-listing-$actual
        if [[ ! -f "$listing" ]]; then
            tar -tJf "$archive" >"$listing.partial" || { echo "Could not read $archive" >&2; exit 1; }
            mv "$listing.partial" "$listing"
        fi
        grep -qxF "$name/$stamp" "$listing" || continue
        # Into a folder of its own first: the cache never holds a stamp
        # beside half a build.
        local unpacked
        unpacked=$(mktemp -d "$cache/.unpacking-XXXXXX")
        if ! tar -xJf "$archive" -C "$unpacked" --no-same-owner "$name"; then
            rm -rf "$unpacked"
            echo "Could not unpack $name from $archive" >&2
            exit 1
        fi
        # Built in another cache folder, perhaps: its pkg-config files name
        # the prefix it was installed to, which is now this one.
        local pc
        for pc in "$unpacked/$name"/lib/pkgconfig/*.pc; do
            [[ -f "$pc" ]] && sed -i "s|^prefix=.*|prefix=$cache/$name|" "$pc"
        done
        rm -rf "${cache:?}/$name"
        mv "$unpacked/$name" "$cache/$name"
        rm -rf "$unpacked"
        echo "$name from $archive"
        return 0
    done
    return 1
}
