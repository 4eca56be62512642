#!/usr/bin/env bash
# A toolbar left floating in the last session comes back above the main window under a
# stacking window manager (openbox), and stays above when the main window is clicked.
#   stacking-x11.sh PAGELOT FLOATING_TOOLBAR_LAYOUT FAX
set -euo pipefail
pagelot="$1"
layout="$2"
fax="$3"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

# Over the middle of the main window, which takes the screen's middle at start-up.
"$layout" 400 420

cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
pagelot="$1"; fax="$2"; work="$3"
touch "$work/started"
unset QT_QPA_PLATFORM

openbox --sm-disable >"$work/openbox.log" 2>&1 &
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || {
    echo "openbox did not start"; cat "$work/openbox.log"; exit 1; }

"$pagelot" "$fax" >"$work/pagelot.log" 2>&1 &
pid=$!

title="$(basename "$fax") - Fax Viewer"
# Managed windows, bottom to top, as "id name" lines.
stacking() {
    local id
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do
        echo "$id $(xprop -id "$id" WM_NAME | sed -n 's/^WM_NAME([A-Z_]*) = "\(.*\)"$/\1/p')"
    done
}
position() { awk -v name="$1" '{ id = $1; $1 = ""; if (substr($0, 2) == name) { print NR; exit } }'; }

frame=""; bar=""
for _ in $(seq 1 150); do
    order="$(stacking)"
    frame="$(position "$title" <<<"$order")"
    bar="$(position Toolbar <<<"$order")"
    [[ -n "$frame" && -n "$bar" ]] && break
    kill -0 "$pid" 2>/dev/null || { echo "pagelot ended early"; cat "$work/pagelot.log"; exit 1; }
    sleep 0.1
done
[[ -n "$frame" && -n "$bar" ]] || { echo "no managed main window and floating toolbar"; stacking; exit 1; }
sleep 1 # let the start-up settle
order="$(stacking)"
import -window root "$work/start.png"
echo "after start-up, bottom to top:"; echo "$order"
(($(position Toolbar <<<"$order") > $(position "$title" <<<"$order"))) || {
    echo "the floating toolbar is behind the main window"; exit 1; }

# A click into the page raises the main window; its tool window goes with it.
window="$(awk -v name="$title" '{ id = $1; $1 = ""; if (substr($0, 2) == name) print id }' <<<"$order")"
info="$(xwininfo -id "$window")"
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
height=$(awk '/Height:/ {print $2}' <<<"$info")
xdotool mousemove $((x + 60)) $((y + height - 60)) click 1
sleep 1
order="$(stacking)"
echo "after a click into the main window:"; echo "$order"
(($(position Toolbar <<<"$order") > $(position "$title" <<<"$order"))) || {
    echo "the floating toolbar went behind the main window"; exit 1; }

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[[ $status -eq 0 ]] || { echo "pagelot exited with $status"; cat "$work/pagelot.log"; exit 1; }
INSIDE

for attempt in 1 2 3; do
    status=0
    xvfb-run -a -n $((100 + RANDOM % 800)) -s '-screen 0 1280x1024x24' \
        bash "$work/inside.sh" "$pagelot" "$fax" "$work" || status=$?
    [[ -e "$work/started" ]] && break
    echo "Xvfb did not start (attempt $attempt)"
done
[[ -e "$work/started" ]] || exit 1
[[ $status -eq 0 ]] || exit "$status"
echo "stacking test passed"
