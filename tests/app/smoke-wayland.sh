#!/usr/bin/env bash
# Starts pagelot on a fax natively on Wayland, under Weston's headless backend (pixman
# renderer, screenshots allowed by --debug), takes a screenshot of the output and checks
# that it shows the page, then closes the program and checks it ended cleanly.
#   smoke-wayland.sh PAGELOT FAX [SCALE]
set -euo pipefail
pagelot="$1"
fax="$2"
scale="${3:-1}"

work="$(mktemp -d)"
weston_pid=""
cleanup() {
    [[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=pagelot-smoke
unset DISPLAY QT_QPA_PLATFORM
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

weston --backend=headless-backend.so --use-pixman --width=1280 --height=960 \
    --scale="$scale" --socket="$WAYLAND_DISPLAY" --idle-time=0 --debug \
    >"$work/weston.log" 2>&1 &
weston_pid=$!
# Bounds against a hang, generous for a loaded machine; the waits end on the condition.
for _ in $(seq 1 600); do
    [[ -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ]] && break
    sleep 0.1
done
[[ -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ]] || { echo "weston did not start"; cat "$work/weston.log"; exit 1; }

shoot() {
    rm -f "$work"/shots/wayland-screenshot-*.png
    mkdir -p "$work/shots"
    (cd "$work/shots" && timeout 10 weston-screenshooter >/dev/null 2>&1)
    ls "$work"/shots/wayland-screenshot-*.png 2>/dev/null | head -n1
}
# The share of the output's pixels in one colour (#rrggbb), from the histogram.
share() {
    local total count
    total=$(identify -format '%[fx:w*h]' "$1")
    count=$(convert "$1" -alpha off -format %c histogram:info:- |
        awk -v c="$2" 'toupper($0) ~ toupper(c) { gsub(":", "", $1); n += $1 } END { print n + 0 }')
    awk -v n="$count" -v t="$total" 'BEGIN { printf "%.4f", n / t }'
}

before=$(shoot)
[[ -n $before ]] || { echo "no screenshot from weston"; cat "$work/weston.log"; exit 1; }
white_before=$(share "$before" "#FFFFFF")

QT_QPA_PLATFORM=wayland "$pagelot" "$fax" >"$work/pagelot.log" 2>&1 &
pid=$!
# The page: white paper with black print, on the view's mid-grey background.
shown=""
for _ in $(seq 1 120); do
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || { echo "pagelot ended early"; cat "$work/pagelot.log"; exit 1; }
    shot=$(shoot)
    [[ -n $shot ]] || continue
    white=$(share "$shot" "#FFFFFF")
    black=$(share "$shot" "#000000")
    grey=$(share "$shot" "#808080")
    if awk -v w="$white" -v w0="$white_before" -v b="$black" -v g="$grey" \
        'BEGIN { exit !(w > w0 + 0.1 && b > 0.001 && g > 0.01) }'; then
        shown="$shot"
        break
    fi
done
[[ -n $shown ]] || { echo "the output does not show the page (white $white, black $black, grey $grey)";
    cat "$work/pagelot.log"; exit 1; }
echo "wayland at scale $scale: white $white, black $black, grey $grey"
[[ -n ${PAGELOT_WAYLAND_SHOT:-} ]] && cp "$shown" "$PAGELOT_WAYLAND_SHOT"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[[ $status -eq 0 ]] || { echo "pagelot exited with $status"; cat "$work/pagelot.log"; exit 1; }
echo "wayland smoke passed"
