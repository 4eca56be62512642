#!/usr/bin/env bash
# Starts pagelot on a fax under a real X server (Xvfb), waits until the window titled
# after the fax shows the page in its page area, then closes the program as a session
# end does and checks it saved its bar layout on the way out.
#   smoke-x11.sh PAGELOT FAX
set -euo pipefail
pagelot="$1"
fax="$2"

source "$(dirname "$0")/x11-session.sh"
x11_session_folders

cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
source "$X11_SESSION_SCRIPT"
pagelot="$1"; fax="$2"; work="$3"
title="$(basename "$fax") - Fax Viewer"

"$pagelot" "$fax" >"$work/pagelot.log" 2>&1 &
pid=$!

# The page area shows the page: the middle of the window lies in the view, white paper
# with black print on it, and the mid-grey background to the right of a page narrower
# than the window. Sets `verdict` to what was seen.
page_shown() {
    local window info x y width height cw ch white black grey
    kill -0 "$pid" 2>/dev/null || { echo "pagelot ended early"; cat "$work/pagelot.log"; exit 1; }
    window="$(xwininfo -root -tree | grep -F "\"$title\"" | awk '{print $1}' | head -n1 || true)"
    [[ -n "$window" ]] || { verdict="no window titled '$title'"; return 1; }
    info="$(xwininfo -id "$window")"
    grep -q 'Map State: IsViewable' <<<"$info" || { verdict="window $window not mapped"; return 1; }
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    width=$(awk '/Width:/ {print $2}' <<<"$info")
    height=$(awk '/Height:/ {print $2}' <<<"$info")
    import -window root "$work/screen.png"
    cw=$((width / 2)); ch=$((height / 2))
    convert "$work/screen.png" -crop "${cw}x${ch}+$((x + width / 8))+$((y + height / 4))" \
        +repage "$work/page.png"
    white=$(convert "$work/page.png" -fill black +opaque white -format '%[fx:mean]' info:)
    black=$(convert "$work/page.png" -negate -fill black +opaque white -format '%[fx:mean]' info:)
    grey=$(convert "$work/screen.png" -crop "${width}x${ch}+${x}+$((y + height / 4))" +repage \
        -fill black +opaque 'rgb(128,128,128)' -format '%[fx:mean]' info:)
    verdict="window $window ${width}x${height}+$x+$y: white $white, black $black, grey $grey"
    awk -v w="$white" -v b="$black" -v g="$grey" 'BEGIN { exit !(w > 0.5 && b > 0.001 && g > 0.01) }'
}
verdict=""
wait_until 60 page_shown || {
    echo "the page area does not show the page: $verdict"; xwininfo -root -tree; exit 1; }
echo "$verdict"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[[ $status -eq 0 ]] || { echo "pagelot exited with $status"; cat "$work/pagelot.log"; exit 1; }

# A session that ends while the start-up error box waits for its OK still ends the
# program: the box runs an event loop of its own.
head -c 200 "$fax" >"$work/cut.tif"
"$pagelot" "$work/cut.tif" >"$work/cut.log" 2>&1 &
pid=$!
# The box comes up over the frame, which is shown first; both are titled "Fax Viewer".
box_shown() {
    local id shown=0
    kill -0 "$pid" 2>/dev/null || {
        echo "pagelot ended before its error box"; cat "$work/cut.log"; exit 1; }
    box=""
    for id in $(xwininfo -root -tree | grep -F '"Fax Viewer"' | awk '{print $1}' || true); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' && { box="$id"; shown=$((shown + 1)); }
    done
    [[ $shown -ge 2 ]]
}
box=""
wait_until 60 box_shown || box=""
[[ -n "$box" ]] || { echo "no error box over the main window for a cut file"; xwininfo -root -tree; exit 1; }
kill -TERM "$pid"
await_exit "$pid" 30 || { echo "pagelot still waited on its error box 30 s after SIGTERM"; exit 1; }
status=0
wait "$pid" || status=$?
[[ $status -eq 0 ]] || { echo "pagelot exited with $status from its error box"; cat "$work/cut.log"; exit 1; }
echo "error box $box: the program ended on SIGTERM"
INSIDE

run_under_xvfb 1280x1024 "$work/inside.sh" "$pagelot" "$fax" "$work"

settings="$XDG_CONFIG_HOME/Brackwater Systems/Fax Viewer.conf"
grep -q '^\[BarState\]' "$settings" || { echo "bar layout not saved on close"; exit 1; }
echo "smoke test passed"
