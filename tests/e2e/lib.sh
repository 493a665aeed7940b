# Helpers for end-to-end tests: a private X server, audio server, player
# home, recordings. Source it, then `trap e2e_cleanup EXIT`.

E2E_PIDS=()
E2E_TMP=$(mktemp -d /tmp/vornap-e2e.XXXXXX)
# A script stopped by set -e says where, so a failure in CI can be read.
trap 'echo "${BASH_SOURCE[0]}:$LINENO: \"$BASH_COMMAND\" failed with $?" >&2' ERR

e2e_cleanup() {
    # Services the private bus started for the script go with it.
    [ -z "${E2E_BUS_PID:-}" ] || pkill -P "$E2E_BUS_PID" 2>/dev/null || true
    for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    # A sound server or player still ending writes into the directory.
    for p in "${E2E_PIDS[@]}"; do e2e_wait_end 30 "$p" || true; done
    chmod -R u+w "$E2E_TMP" 2>/dev/null || true
    # A server that was just told to end may still be writing its last files.
    rm -rf "$E2E_TMP" 2>/dev/null || { sleep 0.5; rm -rf "$E2E_TMP" || true; }
    return 0
}

e2e_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Skips the test (exit 77) when a tool is missing.
e2e_need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
    done
}

# Starts Xvfb (screen $1, 1024x768 by default) on a free display.
e2e_start_xvfb() {
    local fifo=$E2E_TMP/displayfd
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$fifo" 2>/dev/null &
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

# Waits up to $1 tenths of a second for process $2 to end; fails if it does not.
e2e_wait_end() {
    for _ in $(seq "$1"); do kill -0 "$2" 2>/dev/null || return 0; sleep 0.1; done
    ! kill -0 "$2" 2>/dev/null
}

e2e_artifacts() {
    local dir=${VORNAP_ARTIFACTS:-${VORNAP_BUILD_DIR:-build}/artifacts}${1:+/$1}
    mkdir -p "$dir"
    echo "$dir"
}

# A player home at $1 with the shipped skins of the program directory $2.
e2e_home() {
    mkdir -p "$1"
    if [ -d "$2/Skins" ]; then cp -r "$2/Skins" "$1/"; fi
}

# The options file in home $1: skin directory $2, tray only $3, icon $4.
e2e_options() {
    local f='"//CD-ROM Drives in Computer","","//CD-ROM Drive to Use","","//Play On Startup","0",'
    f+='"//Skin Directory","%s","//Use CDDB","0","//Activate CDDB on Startup","0","//CDDB Server",'
    f+='"","//Email Address for CDDB","","//Timer Setting (0=Bwd 1=Fwd)","1",'
    f+='"//System Tray Only","%s","//IconNum","%s"\r\n'
    printf "$f" "${2:-}" "${3:-0}" "${4:-102}" >"$1/VornapOptions.dat"
}

# Starts a private PulseAudio (in a runtime directory of its own, logging to
# $1) whose default sink is a null sink named ci_sink that never suspends.
e2e_start_pulse() {
    export XDG_RUNTIME_DIR=$E2E_TMP/xdg
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    pulseaudio -D --exit-idle-time=-1 --log-target=file:"$1" 2>/dev/null
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl info >/dev/null
    E2E_PIDS+=("$(cat "$XDG_RUNTIME_DIR/pulse/pid")")
    pactl load-module module-null-sink sink_name=ci_sink rate=44100 channels=2 norewinds=1 >/dev/null
    pactl set-default-sink ci_sink
    pactl unload-module module-suspend-on-idle 2>/dev/null || true
}

# Records the null sink into $1 until e2e_stop_record.
e2e_record() {
    parecord --device=ci_sink.monitor --latency-msec=20 --file-format=wav \
        --format=s16le --rate=44100 --channels=2 "$1" &
    E2E_REC=$!
    E2E_PIDS+=($E2E_REC)
}
e2e_stop_record() {
    kill "$E2E_REC"
    wait "$E2E_REC" 2>/dev/null || true
}

# Whether recording $1 holds more than $2 seconds' worth (1 by default) of
# samples above -30 dB.
e2e_loud() {
    python3 - "$1" "${2:-1}" <<'PY'
import struct, sys, wave
w = wave.open(sys.argv[1])
samples = struct.unpack('<%dh' % (2 * w.getnframes()), w.readframes(w.getnframes()))
loud = sum(1 for x in samples if abs(x) > 1000)
print('samples above -30 dB:', loud)
sys.exit(0 if loud > w.getframerate() * float(sys.argv[2]) else 1)
PY
}

# The tones of recording $1 in order, a line "<440|660|880|silence> <quarter
# seconds>" per run; quarters across a change of tone are left out.
e2e_tones() {
    python3 - "$1" <<'PY'
import struct, sys, wave
w = wave.open(sys.argv[1])
rate, n = w.getframerate(), w.getnframes()
left = struct.unpack('<%dh' % (2 * n), w.readframes(n))[0::2]
win, runs = rate // 4, []
for i in range(0, len(left) - win, win):
    seg = left[i:i + win]
    if max(abs(x) for x in seg) < 1000:
        label = 'silence'
    else:
        hz = 4 * sum(1 for a, b in zip(seg, seg[1:]) if a < 0 <= b)
        label = next((str(t) for t in (440, 660, 880) if abs(hz - t) <= 12), None)
    if label is None:
        continue
    if runs and runs[-1][0] == label:
        runs[-1][1] += 1
    else:
        runs.append([label, 1])
for label, count in runs:
    print(label, count)
PY
}

# Writes disc.cue/disc.bin into folder $1 with the disc generator beside the
# program $3: three tracks of $2 seconds at 440, 660 and 880 Hz.
e2e_tone_disc() {
    "$(dirname "$3")/vornap-discgen" "$1/disc.cue" "audio:$2s:sine=440" "audio:$2s:sine=660" \
        "audio:$2s:sine=880" >/dev/null
}

# A private session bus for the script (services it activates, such as a
# panel's settings daemon, see the environment as it is now).
e2e_start_bus() {
    local out
    out=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$out")
    E2E_BUS_PID=$(sed -n 2p <<<"$out")
    E2E_PIDS+=("$E2E_BUS_PID")
}

# Starts openbox and waits until it manages the screen.
e2e_start_wm() {
    openbox --sm-disable >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    for _ in $(seq 100); do
        [[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *"window id"* ]] && return 0
        sleep 0.1
    done
    e2e_fail "the window manager did not start"
}

# The StatusNotifier watcher and host of sni_host.py as a coprocess; e2e_sni
# sends it one command and prints its answer, failing on an error.
e2e_start_sni_host() {
    coproc SNI { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/sni_host.py" 2>&1; }
    E2E_PIDS+=($SNI_PID)
}
e2e_sni() {
    local line
    echo "$*" >&"${SNI[1]}"
    while IFS= read -r -t 30 -u "${SNI[0]}" line; do
        [ "$line" = ok ] && return 0
        [[ "$line" == error* ]] && { echo "sni host: $* -> $line" >&2; return 1; }
        echo "$line"
    done
    echo "sni host: no answer to $*" >&2
    return 1
}

# X11 window state helpers: map state, WM_STATE, and whether it skips the taskbar.
e2e_map_state() { xwininfo -id "$1" | sed -n 's/.*Map State: //p'; }
e2e_wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
e2e_skips_taskbar() { [[ "$(xprop -id "$1" _NET_WM_STATE)" == *_NET_WM_STATE_SKIP_TASKBAR* ]]; }
# Waits up to $2 tenths of a second until command "$3..." succeeds.
e2e_until() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
    "$@"
}
