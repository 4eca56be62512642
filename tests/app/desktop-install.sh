#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what the desktop reads of it:
# the entry and metainfo validate, the icon theme has every size, the MIME database
# offers the program for TIFF files, and the entry's command line opens the fax it is
# given under a real X server.
#   desktop-install.sh BUILD_DIR APP_ID FAX
set -euo pipefail
source "$(dirname "$0")/x11-session.sh"
build="$1"
id="$2"
fax="$3"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"; exit 1; }

entry="$prefix/share/applications/$id.desktop"
desktop-file-validate "$entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" || {
    cat "$work/appstream.log"; exit 1; }

icons="$prefix/share/icons/hicolor"
grep -q '<svg' "$icons/scalable/apps/$id.svg" || { echo "no scalable icon"; exit 1; }
for size in 16 22 24 32 48 64 128 256; do
    got=$(identify -format '%wx%h' "$icons/${size}x${size}/apps/$id.png")
    [[ $got == "${size}x${size}" ]] || { echo "icon ${size}: $got"; exit 1; }
done
# The icon is the program's art, not an empty square.
colours=$(convert "$icons/48x48/apps/$id.png" -format '%k' info:)
((colours > 8)) || { echo "the 48 pixel icon has $colours colours"; exit 1; }

# Only the temporary prefix may answer: no user or system defaults.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_CONFIG_DIRS="$work/config-dirs" XDG_DATA_DIRS="$prefix/share"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_DIRS" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
default=$(xdg-mime query default image/tiff)
[[ $default == "$id.desktop" ]] || { echo "image/tiff opens with '$default'"; exit 1; }

# Start the program as a launcher would: the entry's Exec line with %f replaced.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
command=${exec_line//%f/\"$fax\"}
export PATH="$prefix/bin:$PATH" ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
unset QT_QPA_PLATFORM
title="$(basename "$fax") - Fax Viewer"
cat >"$work/inside.sh" <<INSIDE
set -euo pipefail
source "$(realpath "$(dirname "$0")/x11-session.sh")"
$command >"$work/pagelot.log" 2>&1 &
pid=\$!
shown() {
    kill -0 \$pid 2>/dev/null || { echo "pagelot ended early"; cat "$work/pagelot.log"; exit 1; }
    xwininfo -root -tree | grep -qF '"$title"'
}
wait_until 60 shown || { echo "no window titled '$title'"; kill -KILL \$pid; exit 1; }
kill -TERM \$pid
wait \$pid
INSIDE
run_under_xvfb 1024x768 "$work/inside.sh"
echo "desktop install passed"
