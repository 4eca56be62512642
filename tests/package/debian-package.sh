#!/usr/bin/env bash
# Builds the Debian package from a built tree with cpack and checks it as Debian and a
# user would: the file name, the control fields, the layout, lintian, and a run of the
# unpacked program (dpkg -x into a scratch root) under Xvfb that opens the sample fax
# and opens its help, which it finds beside itself through the /usr/bin link.
#   debian-package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") \
    >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$work/out/pagelot_${version}_$(dpkg --print-architecture).deb"
[[ -f $deb ]] || { echo "no $deb"; ls "$work/out"; exit 1; }
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Section) == graphics ]] || { echo "section: $(field Section)"; exit 1; }
[[ $(field Recommends) == *qt6-wayland* ]] || { echo "recommends: $(field Recommends)"; exit 1; }
[[ $(field Maintainer) == *@* ]] || { echo "maintainer: $(field Maintainer)"; exit 1; }
[[ -n $(field Description) ]] || { echo "no description"; exit 1; }
# Computed from the binaries: the libraries the two programs link.
for library in libqt6widgets6 libqt6printsupport6 libqt6gui6 libtiff6 libchm1; do
    field Depends | grep -q "$library" || { echo "Depends lacks $library: $(field Depends)"; exit 1; }
done

dpkg-deb -c "$deb" | awk '{ print $6 ($7 ? " " $7 " " $8 : "") }' | sort >"$work/contents"
for path in ./usr/lib/pagelot/pagelot ./usr/lib/pagelot/Pagelot.chm \
    "./usr/bin/pagelot -> ../lib/pagelot/pagelot" ./usr/bin/pagelot-thumbnailer \
    ./usr/share/applications/com.brackwatersystems.Pagelot.desktop \
    ./usr/share/metainfo/com.brackwatersystems.Pagelot.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/com.brackwatersystems.Pagelot.svg \
    ./usr/share/icons/hicolor/48x48/apps/com.brackwatersystems.Pagelot.png \
    ./usr/share/thumbnailers/pagelot.thumbnailer ./usr/share/pagelot/screenshots/main.png \
    ./usr/share/doc/pagelot/copyright ./usr/share/doc/pagelot/changelog.gz; do
    grep -qxF "$path" "$work/contents" || { echo "missing: $path"; cat "$work/contents"; exit 1; }
done
# Nothing of the build or the tests slips in.
if grep -E 'tests|fixtures|\.a$|sample-fax' "$work/contents"; then
    echo "unexpected files in the package"; exit 1
fi

# No errors; the warnings are the ones the README explains, no others.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
if grep -q '^E:' "$work/lintian.log"; then cat "$work/lintian.log"; exit 1; fi
grep '^W:' "$work/lintian.log" | sed 's/^W: pagelot: //' | sort >"$work/warnings" || true
grep -vxF -f "$source_dir/tests/package/lintian-warnings" "$work/warnings" >"$work/new" || true
if [[ -s $work/new ]]; then echo "new lintian warnings:"; cat "$work/new"; exit 1; fi

root="$work/root"
dpkg -x "$deb" "$root"

# The desktop's readers of the entry and the metainfo: nothing to say but the note on
# capitals in the id, which stays (a renamed id costs users their file associations).
desktop-file-validate "$root/usr/share/applications/com.brackwatersystems.Pagelot.desktop"
metainfo="$root/usr/share/metainfo/com.brackwatersystems.Pagelot.metainfo.xml"
appstreamcli validate --pedantic --no-net "$metainfo" >"$work/appstream.log" 2>&1 || {
    cat "$work/appstream.log"; exit 1; }
if grep -E '^[EWIP]:' "$work/appstream.log" | grep -v 'cid-contains-uppercase-letter'; then
    echo "appstreamcli has more to say"; exit 1
fi
# Every screenshot the metainfo names ships in the package.
for url in $(sed -n 's|.*<image[^>]*>\(.*\)</image>.*|\1|p' "$metainfo"); do
    [[ -f $root/usr/share/pagelot/screenshots/$(basename "$url") ]] || {
        echo "screenshot $url not in the package"; exit 1; }
done
"$root/usr/bin/pagelot-thumbnailer" -s 128 "$build/app/sample-fax.tif" "$work/thumb.png"
[[ $(identify -format '%h' "$work/thumb.png") == 128 ]] || { echo "thumbnail"; exit 1; }

# The unpacked program, started through its link, opens the fax and its help file.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# Leaks are the unit tests' job: Qt and fontconfig keep caches for the life of the process.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
cp "$build/app/sample-fax.tif" "$work/fax.tif"
unset QT_QPA_PLATFORM
cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
source "$X11_SESSION_SCRIPT"
root="$1"; work="$2"
"$root/usr/bin/pagelot" "$work/fax.tif" >"$work/pagelot.log" 2>&1 &
pid=$!
find_window() { xwininfo -root -tree | grep -F "\"$1\"" | awk '{print $1}' | head -n1 || true; }
has_window() {
    window=$(find_window "$1")
    [[ -n $window ]] && return 0
    kill -0 "$pid" 2>/dev/null || { echo "pagelot ended early"; cat "$work/pagelot.log"; exit 1; }
    return 1
}
focused() { [[ "$(xdotool getwindowfocus)" == "$((window))" ]]; }
wait_until 60 has_window "fax.tif - Fax Viewer" || { echo "no main window"; exit 1; }
main="$window"
xdotool windowfocus --sync "$main"
wait_until 60 focused || { echo "the main window never had the focus"; exit 1; }
# Help > Fax Viewer Help: the help window only opens when the file is found. The menu
# takes its key once it is up; until the help window shows, the keys are tried again.
opened=false
for _ in $(seq 1 12); do
    xdotool key --window "$main" alt+h
    xdotool key h
    if wait_until 5 has_window "Fax Viewer Help"; then opened=true; break; fi
    xdotool key Escape
done
$opened || { echo "no help window"; xwininfo -root -tree | grep '"' | head -20; exit 1; }
kill -TERM "$pid"
wait "$pid" || { echo "pagelot did not end cleanly"; cat "$work/pagelot.log"; exit 1; }
INSIDE
source "$source_dir/tests/app/x11-session.sh"
X11_SESSION_SCRIPT="$source_dir/tests/app/x11-session.sh"
export X11_SESSION_SCRIPT
run_under_xvfb 1280x1024 "$work/inside.sh" "$root" "$work"
echo "debian package passed"
