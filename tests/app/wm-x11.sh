#!/usr/bin/env bash
# The program under a stacking window manager (openbox):
# - a toolbar left floating in the last session comes back above the main window, and
#   stays above when the main window is clicked;
# - the window manager's close of the main window while a long job prints asks whether
#   to stop it; Yes (the default) ends the job and the program, leaving no PDF and the
#   settings saved.
#   wm-x11.sh PAGELOT FLOATING_TOOLBAR_LAYOUT FAX LONG_FAX
set -euo pipefail
pagelot="$1"
layout="$2"
fax="$3"
long="$4"

source "$(dirname "$0")/x11-session.sh"
x11_session_folders

# Over the middle of the main window, which takes the screen's middle at start-up.
"$layout" 400 420

cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
source "$X11_SESSION_SCRIPT"
pagelot="$1"; fax="$2"; long="$3"; work="$4"
touch "$work/started"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || {
    echo "openbox did not start"; cat "$work/openbox.log"; exit 1; }

# Managed windows, bottom to top, as "id name" lines.
stacking() {
    local id
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do
        echo "$id $(xprop -id "$id" WM_NAME | sed -n 's/^WM_NAME([A-Z_]*) = "\(.*\)"$/\1/p')"
    done
}
# The line number (bottom = 1) and id of the window named $1 in stacking's output.
position() { awk -v name="$1" '{ $1 = ""; if (substr($0, 2) == name) { print NR; exit } }'; }
windowId() { awk -v name="$1" '{ id = $1; $1 = ""; if (substr($0, 2) == name) { print id; exit } }'; }
# Waits for the program ($pid, log $log) to show every window named in the arguments.
await() {
    local name missing
    for _ in $(seq 1 150); do
        order="$(stacking)"
        missing=""
        for name in "$@"; do
            [[ -n "$(windowId "$name" <<<"$order")" ]] || missing="$name"
        done
        [[ -z "$missing" ]] && return 0
        kill -0 "$pid" 2>/dev/null || { echo "pagelot ended early"; cat "$log"; exit 1; }
        sleep 0.1
    done
    echo "no window '$missing'"; echo "$order"; exit 1
}
# Waits up to 10 s for the program to end, then checks it ended well.
awaitEnd() {
    await_exit "$pid" 10 || { echo "pagelot did not end: $1"; exit 1; }
    local status=0
    wait "$pid" || status=$?
    [[ $status -eq 0 ]] || { echo "pagelot exited with $status"; cat "$log"; exit 1; }
}

log="$work/pagelot.log"
"$pagelot" "$fax" >"$log" 2>&1 &
pid=$!
title="$(basename "$fax") - Fax Viewer"
await "$title" Toolbar
sleep 1 # let the start-up settle
order="$(stacking)"
import -window root "$work/start.png"
echo "after start-up, bottom to top:"; echo "$order"
(($(position Toolbar <<<"$order") > $(position "$title" <<<"$order"))) || {
    echo "the floating toolbar is behind the main window"; exit 1; }

# A click into the page raises the main window; its tool window goes with it.
info="$(xwininfo -id "$(windowId "$title" <<<"$order")")"
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
awaitEnd "on SIGTERM"

# File > Print of a long fax to the print dialog's default, a PDF file; then the main
# window's close box while the "Printing" box is up.
settings="$XDG_CONFIG_HOME/Brackwater Systems/Fax Viewer.conf"
rm -f "$settings"
log="$work/print.log"
# The dialog proposes the PDF beside the fax: a copy keeps it out of the build tree.
cp "$long" "$HOME/"
(cd "$HOME" && exec "$pagelot" "$HOME/$(basename "$long")") >"$log" 2>&1 &
pid=$!
title="$(basename "$long") - Fax Viewer"
await "$title"
frame="$(windowId "$title" <<<"$order")"
sleep 0.5
xdotool key ctrl+p
await Print
sleep 0.5
xdotool key Return
await Printing
sleep 0.5
import -window root "$work/printing.png"
wmctrl -i -c "$frame"
await "Fax Viewer"
import -window root "$work/question.png"
xdotool key Return
started=$(date +%s%N)
awaitEnd "its main window was closed while printing"
echo "ended $((($(date +%s%N) - started) / 1000000)) ms after the answer"
left="$(find "$HOME" -name "$(basename "$long" .tif).pdf*")"
[[ -z "$left" ]] || { echo "the stopped job left $left"; exit 1; }
grep -q '^\[BarState\]' "$settings" || { echo "settings not saved on the way out"; exit 1; }
INSIDE

run_under_xvfb 1280x1024 "$work/inside.sh" "$pagelot" "$fax" "$long" "$work"
echo "window manager test passed"
