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

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wmRunning() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until 60 wmRunning || { echo "openbox did not start"; cat "$work/openbox.log"; exit 1; }

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
# Whether the program ($pid, log $log) shows every window named in the arguments; sets
# `order` to the stacking seen and `missing` to a window not (yet) shown.
shown() {
    local name
    kill -0 "$pid" 2>/dev/null || { echo "pagelot ended early"; cat "$log"; exit 1; }
    order="$(stacking)"
    missing=""
    for name in "$@"; do
        [[ -n "$(windowId "$name" <<<"$order")" ]] || missing="$name"
    done
    [[ -z "$missing" ]]
}
# Waits for the program to show every window named in the arguments.
await() {
    wait_until 60 shown "$@" || { echo "no window '$missing'"; echo "$order"; exit 1; }
}
# Whether the window named $1 has the input focus.
focused() {
    [[ "$(xdotool getwindowfocus)" == "$(($(windowId "$1" <<<"$(stacking)")))" ]]
}
# Waits for the window named $1 to have the focus, so keys typed now go to it.
awaitFocus() {
    wait_until 60 focused "$1" || { echo "'$1' never had the focus"; stacking; exit 1; }
}
# Returns once openbox has handled every request made before: it answers requests in
# order, and this one's answer can be seen on the root window.
wmSync() {
    local desktops
    desktops=$(xprop -root _NET_NUMBER_OF_DESKTOPS | awk '{print $3}')
    desktops=$((desktops == 2 ? 3 : 2))
    wmctrl -n "$desktops"
    desktopsAre() { xprop -root _NET_NUMBER_OF_DESKTOPS | grep -q "= $1\$"; }
    wait_until 60 desktopsAre "$desktops" || { echo "openbox did not answer"; exit 1; }
}
# Whether the toolbar is stacked above the main window; sets `order` to the stacking.
toolbarAbove() {
    local toolbar main
    order="$(stacking)"
    toolbar="$(position Toolbar <<<"$order")"
    main="$(position "$title" <<<"$order")"
    [[ -n "$toolbar" && -n "$main" ]] && ((toolbar > main))
}
# Waits up to 60 s for the program to end, then checks it ended well.
awaitEnd() {
    await_exit "$pid" 60 || { echo "pagelot did not end: $1"; exit 1; }
    local status=0
    wait "$pid" || status=$?
    [[ $status -eq 0 ]] || { echo "pagelot exited with $status"; cat "$log"; exit 1; }
}

log="$work/pagelot.log"
"$pagelot" "$fax" >"$log" 2>&1 &
pid=$!
title="$(basename "$fax") - Fax Viewer"
await "$title" Toolbar
wait_until 60 toolbarAbove || {
    echo "the floating toolbar is behind the main window"; echo "$order"; exit 1; }
import -window root "$work/start.png"
echo "after start-up, bottom to top:"; echo "$order"

# A click into the page raises the main window; its tool window goes with it.
info="$(xwininfo -id "$(windowId "$title" <<<"$order")")"
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
height=$(awk '/Height:/ {print $2}' <<<"$info")
xdotool mousemove $((x + 60)) $((y + height - 60)) click 1
wmSync
toolbarAbove || { echo "the floating toolbar went behind the main window"; echo "$order"; exit 1; }
echo "after a click into the main window:"; echo "$order"
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
awaitFocus "$title"
xdotool key ctrl+p
await Print
awaitFocus Print
xdotool key Return
await Printing
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
