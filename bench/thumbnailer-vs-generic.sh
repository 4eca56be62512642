#!/usr/bin/env bash
# pagelot-thumbnailer against the desktop's generic image thumbnailer
# (gdk-pixbuf-thumbnailer, Debian libgdk-pixbuf2.0-bin), as processes, on the same
# files at the same size: the median wall time of 20 runs each, and the shape each
# gives a standard-resolution (204 x 98 dpi) page.
#   bench/thumbnailer-vs-generic.sh BUILD_DIR [SIZE]
set -euo pipefail
build="$(cd "$1" && pwd)"
size="${2:-256}"
ours="$build/app/pagelot-thumbnailer"
generic=$(command -v gdk-pixbuf-thumbnailer)
realworld="$(dirname "$0")/../../shared/fixtures/realworld"
fine="$realworld/gs-g4-fine-bzip2.tif"
standard="$realworld/gs-crle-std-nettle.tif"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

median_ms() {
    local times=()
    for _ in $(seq 1 20); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        times+=($(((end - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END {
        printf "%.1f", (t[10] + t[11]) / 2000 }'
}

for file in "$fine" "$standard"; do
    name=$(basename "$file" .tif)
    echo "$name at $size:"
    echo "  pagelot-thumbnailer    $(median_ms "$ours" -s "$size" "$file" "$work/ours.png") ms," \
        "$(identify -format '%wx%h' "$work/ours.png")"
    echo "  gdk-pixbuf-thumbnailer $(median_ms "$generic" -s "$size" "$file" "$work/generic.png") ms," \
        "$(identify -format '%wx%h' "$work/generic.png")"
done
