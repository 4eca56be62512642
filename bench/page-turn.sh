#!/bin/sh
# Runs the page-turn benchmark as it is and with every large block fresh from the kernel
# (a small mmap threshold), at device pixel ratios 1 and 2, and compares the two runs.
# Usage: bench/page-turn.sh [build folder] [benchmark options]
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
bench="$build/bench/page_turn_bench"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for ratio in 1 2; do
    QT_SCALE_FACTOR=$ratio "$bench" "$@" | tee "$out/plain$ratio"
    GLIBC_TUNABLES=glibc.malloc.mmap_threshold=131072 QT_SCALE_FACTOR=$ratio "$bench" "$@" \
        | tee "$out/fresh$ratio"
done
for ratio in 1 2; do
    echo "Device pixel ratio $ratio, small mmap threshold against none (target at most 1.3):"
    grep '^FIGURE' "$out/plain$ratio" | while read -r _ name plain; do
        fresh=$(grep "^FIGURE $name " "$out/fresh$ratio" | cut -d' ' -f3)
        awk -v n="$name" -v p="$plain" -v f="$fresh" \
            'BEGIN { printf "  %-16s %8.2f ms  %8.2f ms  %5.2f x\n", n, p, f, f / p }'
    done
done
