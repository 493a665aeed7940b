# Helpers for end-to-end tests: a private X server, windows, screenshots.
# Source it; call e2e_cleanup on exit.

E2E_PIDS=()

e2e_cleanup() {
    for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    [ -n "${E2E_TMP:-}" ] && rm -rf "$E2E_TMP"
    return 0
}

e2e_tmp() {
    E2E_TMP=${E2E_TMP:-$(mktemp -d)}
    echo "$E2E_TMP"
}

# Starts Xvfb on a free display and exports DISPLAY.
e2e_start_xvfb() {
    local fifo
    fifo=$(e2e_tmp)/displayfd
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    E2E_PIDS+=($!)
    for _ in $(seq 100); do
        [ -s "$fifo" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$fifo")"
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
}

# Waits until a window whose name matches appears; prints its id.
e2e_wait_window() {
    local pattern=$1 seconds=${2:-20} wid=""
    for _ in $(seq $((seconds * 10))); do
        wid=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
        [ -n "$wid" ] && { echo "$wid"; return 0; }
        sleep 0.1
    done
    echo "no window matching '$pattern' within ${seconds}s" >&2
    return 1
}

e2e_count_windows() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l
}

e2e_artifacts() {
    local dir=${VORNAP_ARTIFACTS:-${VORNAP_BUILD_DIR:-build}/artifacts}
    mkdir -p "$dir"
    echo "$dir"
}
