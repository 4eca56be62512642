# Sourced by the tests that run the program under a real X server (Xvfb), and by the
# scripts they run there, through $X11_SESSION_SCRIPT.

# A folder of the test's own in $work, removed on exit, holding its home, settings and
# runtime folders. Leaks are the unit tests' job: Qt and fontconfig keep caches for the
# life of the process.
x11_session_folders() {
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
    export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
    X11_SESSION_SCRIPT="$(realpath "${BASH_SOURCE[0]}")"
    export X11_SESSION_SCRIPT
}

# Runs COMMAND ARGS... every 50 ms until it succeeds; fails when it has not within
# SECONDS. What a test waits for is a condition, never a time: the bound only keeps a
# broken build from hanging, so it is generous for a loaded machine.
wait_until() {
    local seconds="$1" deadline
    shift
    deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

process_ended() { ! kill -0 "$1" 2>/dev/null; }

# Waits up to SECONDS for process PID to end; when it has not, kills it and fails.
await_exit() {
    wait_until "$2" process_ended "$1" && return 0
    kill -KILL "$1"
    return 1
}

# Runs `bash SCRIPT ARGS...` with DISPLAY on an X server of its own (Xvfb) with a screen
# of SIZE (e.g. 1280x1024); returns the script's status, or 1 when no server came up.
# The server picks a free display itself and says which once it accepts clients
# (-displayfd), so test runs started together never race for a number, and it stays up
# for the whole script, however many clients come and go (-noreset).
run_under_xvfb() {
    local size="$1" status=0 server display cookie
    shift
    : >"$work/display"
    cookie="$(mcookie)"
    xauth -q -f "$work/xauth-server" add :0 . "$cookie"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -noreset -nolisten tcp -auth "$work/xauth-server" \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    server=$!
    if ! wait_until 60 grep -q '^[0-9][0-9]*$' "$work/display" \
        || ! kill -0 "$server" 2>/dev/null; then
        echo "Xvfb did not start"
        cat "$work/xvfb.log"
        kill -KILL "$server" 2>/dev/null || true
        return 1
    fi
    display=":$(cat "$work/display")"
    xauth -q -f "$work/xauthority" add "$display" . "$cookie"
    DISPLAY="$display" XAUTHORITY="$work/xauthority" bash "$@" || status=$?
    kill -TERM "$server"
    wait "$server" || true
    return "$status"
}
