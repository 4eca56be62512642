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

# Waits up to SECONDS for process PID to end; when it has not, kills it and fails.
await_exit() {
    local pid="$1" hundredths=$(($2 * 100))
    for _ in $(seq 1 "$hundredths"); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.01
    done
    kill -0 "$pid" 2>/dev/null || return 0
    kill -KILL "$pid"
    return 1
}

# Runs `bash SCRIPT ARGS...` under Xvfb with a screen of SIZE (e.g. 1280x1024); the
# script's status, or 1 when no server came up. The script touches "$work/started" first.
# Other test runs may start X servers at the same time: the search for a free display
# begins at a random number, and a server that did not come up is tried again.
run_under_xvfb() {
    local size="$1" status=0 attempt
    shift
    for attempt in 1 2 3; do
        status=0
        xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 ${size}x24" bash "$@" || status=$?
        [[ -e "$work/started" ]] && return "$status"
        echo "Xvfb did not start (attempt $attempt)"
    done
    return 1
}
