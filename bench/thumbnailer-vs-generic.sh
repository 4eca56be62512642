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

# "wall ms, processor ms": medians of 20 runs (processor time is user + system, which a
# busy machine inflates less than the wall time).
medians() {
    : >"$work/times"
    for _ in $(seq 1 20); do
        /usr/bin/time -a -o "$work/times" -f '%e %U %S' "$@" >/dev/null 2>&1
    done
    median() { sort -n | awk '{ t[NR] = $1 } END { printf "%.0f", (t[10] + t[11]) / 2 }'; }
    echo "$(awk '{ print $1 * 1000 }' "$work/times" | median) ms wall," \
        "$(awk '{ print ($2 + $3) * 1000 }' "$work/times" | median) ms processor"
}

for file in "$fine" "$standard"; do
    name=$(basename "$file" .tif)
    echo "$name at $size:"
    echo "  pagelot-thumbnailer    $(medians "$ours" -s "$size" "$file" "$work/ours.png")," \
        "$(identify -format '%wx%h' "$work/ours.png")"
    echo "  gdk-pixbuf-thumbnailer $(medians "$generic" -s "$size" "$file" "$work/generic.png")," \
        "$(identify -format '%wx%h' "$work/generic.png")"
done
