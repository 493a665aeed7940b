# Helpers for end-to-end tests: a private X server, windows, screenshots.
# Source it; call e2e_cleanup on exit.

E2E_PIDS=()
# A script stopped by set -e says where, so a failure in CI can be read.
trap 'echo "${BASH_SOURCE[0]}:$LINENO: \"$BASH_COMMAND\" failed with $?" >&2' ERR

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

# Starts a private PulseAudio (in $XDG_RUNTIME_DIR, logging to $1) whose
# default sink is a null sink named ci_sink that never suspends.
e2e_start_pulse() {
    pulseaudio -D --exit-idle-time=-1 --log-target=file:"$1" 2>/dev/null
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl info >/dev/null
    pactl load-module module-null-sink sink_name=ci_sink rate=44100 channels=2 norewinds=1 >/dev/null
    pactl set-default-sink ci_sink
    pactl unload-module module-suspend-on-idle 2>/dev/null || true
}

# Writes disc.cue/disc.bin into folder $1: three tracks of $2 seconds at
# 440, 660 and 880 Hz.
e2e_tone_disc() {
    python3 - "$1" "$2" <<'PY'
import math, struct, sys
rate, data, cue = 44100, bytearray(), ['FILE "disc.bin" BINARY']
for i, hz in enumerate([440, 660, 880]):
    f = len(data) // 2352
    cue += [f'  TRACK {i + 1:02d} AUDIO', f'    INDEX 01 {f // 4500:02d}:{f // 75 % 60:02d}:{f % 75:02d}']
    step = 2 * math.pi * hz / rate
    for s in range(int(sys.argv[2]) * rate):
        v = int(12000 * math.sin(step * s))
        data += struct.pack('<hh', v, v)
    data += bytes(-len(data) % 2352)
open(sys.argv[1] + '/disc.bin', 'wb').write(data)
open(sys.argv[1] + '/disc.cue', 'w').write('\n'.join(cue) + '\n')
PY
}
