#!/usr/bin/env bash
# Steps through a receive folder under a real X server (Xvfb): starts pagelot on the
# folder's first fax, goes to the last with Alt+Page Down and back with Alt+Page Up,
# checking the window title names each fax in received order, and that a step past
# either end changes nothing.
#   folder-x11.sh PAGELOT MAKEFAXFOLDER [SHOTS]
# With SHOTS, screenshots of every step go there.
set -euo pipefail
pagelot="$1"
makefolder="$2"
shots="${3:-}"

source "$(dirname "$0")/x11-session.sh"
x11_session_folders
mkdir -p "$work/faxes"
"$makefolder" "$work/faxes" >"$work/order.txt"

cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
source "$X11_SESSION_SCRIPT"
pagelot="$1"; work="$2"; shots="$3"
touch "$work/started"

mapfile -t order <"$work/order.txt"

hasTitle() { xwininfo -root -tree | grep -qF "\"$1 - Fax Viewer\""; }
titled() {
    wait_until 60 hasTitle "$1" && return 0
    echo "no window titled '$1 - Fax Viewer'"; xwininfo -root -tree | grep Fax; return 1
}
shot() { [[ -z "$shots" ]] || import -window root "$shots/$1.png"; }

"$pagelot" "$work/faxes/${order[0]}" >"$work/pagelot.log" 2>&1 &
pid=$!
titled "${order[0]}"
window="$(xdotool search --name "${order[0]} - Fax Viewer" | head -n1)"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
focused() { [[ "$(xdotool getwindowfocus)" == "$((window))" ]]; }
wait_until 60 focused || { echo "the fax window never had the focus"; exit 1; }
shot "folder-00-${order[0]%.tif}"
last=$((${#order[@]} - 1))
for i in $(seq 1 "$last"); do
    xdotool key --window "$window" alt+Next
    titled "${order[$i]}"
    shot "folder-$(printf %02d "$i")-${order[$i]%.tif}"
done
# Past the last fax nothing changes; the keys are handled in order, so the step back
# after it shows whether it moved.
xdotool key --window "$window" alt+Next
for i in $(seq $((last - 1)) -1 0); do
    xdotool key --window "$window" alt+Prior
    titled "${order[$i]}"
done
xdotool key --window "$window" alt+Prior
xdotool key --window "$window" alt+Next
titled "${order[1]}"
echo "stepped through ${#order[@]} faxes and back"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[[ $status -eq 0 ]] || { echo "pagelot exited with $status"; cat "$work/pagelot.log"; exit 1; }
INSIDE

run_under_xvfb 1280x1024 "$work/inside.sh" "$pagelot" "$work" "$shots"
echo "folder test passed"
