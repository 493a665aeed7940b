# Helpers for end-to-end tests: private servers, player homes with discs, recordings.
# Set VORNAP to the built program, source this, then `trap e2e_cleanup EXIT`.

E2E_PIDS=() E2E_LOG=""
E2E_TMP=$(mktemp -d /tmp/vornap-e2e.XXXXXX)
# A script stopped by set -e says where, so a failure in CI can be read.
trap 'echo "${BASH_SOURCE[0]}:$LINENO: \"$BASH_COMMAND\" failed with $?" >&2' ERR

e2e_cleanup() {
    # Services the private bus started for the script go with it.
    [ -z "${E2E_BUS_PID:-}" ] || pkill -P "$E2E_BUS_PID" 2>/dev/null || true
    for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    # A sound server or player still ending writes into the directory: wait, then try twice.
    for p in "${E2E_PIDS[@]}"; do e2e_wait_end 30 "$p" || true; done
    chmod -R u+w "$E2E_TMP" 2>/dev/null || true
    rm -rf "$E2E_TMP" 2>/dev/null || { sleep 0.5; rm -rf "$E2E_TMP" || true; }
}

# Runs "$@" in the background, ended with the script; its process is E2E_BG.
e2e_bg() { "$@" & E2E_BG=$! && E2E_PIDS+=($!); }

# Fails the test, showing the log of the player started last.
e2e_fail() { [ -z "$E2E_LOG" ] || cat "$E2E_LOG" >&2 || true; echo "FAIL: $*" >&2 && exit 1; }

# Skips the test (exit 77) when a tool is missing.
e2e_need() { for t in "$@"; do command -v "$t" >/dev/null || { echo "SKIP: $t missing"; exit 77; }; done; }

# Waits up to $1 tenths of a second until command "$2..." succeeds.
e2e_until() {
    for _ in $(seq "$1"); do "${@:2}" && return 0; sleep 0.1; done
    "${@:2}"
}

# Waits up to $1 tenths of a second for process $2 to end; fails if it does not.
e2e_wait_end() {
    for _ in $(seq "$1"); do kill -0 "$2" 2>/dev/null || return 0; sleep 0.1; done
    ! kill -0 "$2" 2>/dev/null
}

# Starts Xvfb (screen $1, 1024x768 by default) on a free display; it does not
# reset when its last client leaves (a client starting during a reset can fail).
e2e_start_xvfb() {
    local fifo=$E2E_TMP/displayfd
    e2e_bg Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset 3>"$fifo" 2>/dev/null
    e2e_until 100 [ -s "$fifo" ]
    unset WAYLAND_DISPLAY && export DISPLAY=":$(head -n 1 "$fifo")" QT_QPA_PLATFORM=xcb
}

# Waits up to $2 seconds (20) until a window whose name matches $1 appears; prints its id.
e2e_wait_window() {
    e2e_until $((${2:-20} * 10)) eval "xdotool search --onlyvisible --name '$1' 2>/dev/null | sed -n 1p | grep ." ||
        { echo "no window matching '$1'" >&2; return 1; }
}

# Sets E2E_OUT to artifact folder $1; e2e_shot keeps window $2 (WID) there as $1.png.
e2e_artifacts() { E2E_OUT=${VORNAP_ARTIFACTS:-${VORNAP_BUILD_DIR:-build}/artifacts}${1:+/$1} && mkdir -p "$E2E_OUT"; }
e2e_shot() { import -window "${2:-$WID}" "$E2E_OUT/$1.png"; }
# Gives window $1 the focus and types keys $2...; a key that ends the window may fail.
e2e_keys() { xdotool windowfocus --sync "$1" 2>/dev/null || true; xdotool key "${@:2}" 2>/dev/null || true; }
# Whether two pictures differ in any pixel (of the region "-extract WxH+X+Y").
e2e_differ() { [ "$(compare -metric AE "${@:3}" "$1" "$2" null: 2>&1 || true)" != "0" ]; }

# A player home at $1 whose drive E: is its folder "tray", holding a disc of the tracks
# $2... (audio:6s:sine={440,660,880} gives three tones of six seconds).
e2e_disc_home() {
    mkdir -p "$1/tray" && printf 'E:\\=tray\n' >"$1/VornapDrives.dat"
    "$(dirname "$VORNAP")/vornap-discgen" "$1/tray/disc.cue" "${@:2}" >/dev/null
}

# The options file of home $1 (made if new): nothing on at start, no skin, no
# tray; each further "Field:value" sets one field.
e2e_options() {
    local line="" f o
    mkdir -p "$1"
    for f in "CD-ROM Drives in Computer:" "CD-ROM Drive to Use:" "Play On Startup:0" "Skin Directory:" \
        "Use CDDB:0" "Activate CDDB on Startup:0" "CDDB Server:" "Email Address for CDDB:" \
        "Timer Setting (0=Bwd 1=Fwd):1" "System Tray Only:0" "IconNum:102"; do
        for o in "${@:2}"; do [ "${o%%:*}" != "${f%%:*}" ] || f=$o; done
        line+="\"//${f%%:*}\",\"${f#*:}\","
    done
    printf '%s\r\n' "${line%,}" >"$1/VornapOptions.dat"
}

# Starts the player on home $1, with the settings VAR=value $2...; its log is
# E2E_LOG, its process PLAYER. e2e_window waits for its window, WID.
e2e_player() {
    E2E_LOG=$1/player.log
    e2e_bg env VORNAP_HOME="$1" "${@:2}" "$VORNAP" >>"$E2E_LOG" 2>&1 && PLAYER=$E2E_BG
}
e2e_window() { WID=$(e2e_wait_window '^Vornap$' 30) || e2e_fail "no player window"; }
e2e_alive() { kill -0 "$PLAYER" 2>/dev/null || e2e_fail "the player ended $*"; }

# Serves folder $1 over HTTP on 127.0.0.1, logging requests to $2; sets E2E_PORT.
e2e_serve() {
    e2e_bg python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$1" >"$2" 2>&1
    e2e_until 100 grep -q ' port [0-9]' "$2" || e2e_fail "the web server did not start"
    E2E_PORT=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$2" | head -n 1)
}

# A private PulseAudio (E2E_PULSE_PID; a home of its own, so no stored volume
# applies) whose default sink is a null sink ci_sink that never suspends.
e2e_start_pulse() {
    export XDG_RUNTIME_DIR=$E2E_TMP/xdg && mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$E2E_TMP/pulsehome"
    HOME=$E2E_TMP/pulsehome pulseaudio -D --exit-idle-time=-1 --log-target=file:"$E2E_TMP/pulse.log" 2>/dev/null
    e2e_until 50 pactl info >/dev/null 2>&1 || e2e_fail "the sound server did not start"
    E2E_PULSE_PID=$(cat "$XDG_RUNTIME_DIR/pulse/pid"); E2E_PIDS+=("$E2E_PULSE_PID")
    pactl load-module module-null-sink sink_name=ci_sink rate=44100 channels=2 norewinds=1 >/dev/null
    pactl set-default-sink ci_sink
    pactl unload-module module-suspend-on-idle 2>/dev/null || true
}

# Records the null sink into $1 (16-bit stereo at 44.1 kHz, as parecord has it) until e2e_stop_record.
e2e_record() { parecord --device=ci_sink.monitor --latency-msec=20 --file-format=wav "$1" & E2E_REC=$! && E2E_PIDS+=($!); }
e2e_stop_record() { kill "$E2E_REC" && wait "$E2E_REC" 2>/dev/null || true; }

# Whether recording $1 holds more than a second's worth of samples above -30 dB.
e2e_loud() {
    python3 - "$1" <<'PY'
import array, sys, wave
w = wave.open(sys.argv[1])
sys.exit(sum(abs(x) > 1000 for x in array.array('h', w.readframes(w.getnframes()))) <= w.getframerate())
PY
}

# The tones of recording $1 in order, a line "<440|660|880|silence> <quarter
# seconds>" per run; quarters across a change of tone are left out.
e2e_tones() {
    python3 - "$1" <<'PY'
import array, itertools, sys, wave
w = wave.open(sys.argv[1])
left, win = array.array('h', w.readframes(w.getnframes()))[0::2], w.getframerate() // 4
def label(seg):
    hz = 4 * sum(1 for a, b in zip(seg, seg[1:]) if a < 0 <= b)
    silent = max(map(abs, seg)) < 1000
    return "silence" if silent else next((str(t) for t in (440, 660, 880) if abs(hz - t) <= 12), None)
labels = (label(left[i:i + win]) for i in range(0, len(left) - win, win))
for tone, run in itertools.groupby(filter(None, labels)):
    print(tone, len(list(run)))
PY
}

# A private session bus (services it starts see the environment as it is now).
e2e_start_bus() {
    local out
    out=($(dbus-daemon --session --fork --print-address=1 --print-pid=1))
    export DBUS_SESSION_BUS_ADDRESS=${out[0]} && E2E_BUS_PID=${out[1]} && E2E_PIDS+=("${out[1]}")
}

# Starts openbox and waits until it manages the screen.
e2e_start_wm() {
    e2e_bg openbox --sm-disable >/dev/null 2>&1
    e2e_until 100 eval '[[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *"window id"* ]]' ||
        e2e_fail "the window manager did not start"
}

# sni_host.py as a coprocess; e2e_sni sends it a command and prints the answer, failing on an error.
e2e_start_sni_host() {
    /usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "SKIP: python3-dbus missing"; exit 77; }
    coproc SNI { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/sni_host.py" 2>&1; }
    E2E_PIDS+=($SNI_PID)
}
e2e_sni() {
    local line && echo "$*" >&"${SNI[1]}"
    while IFS= read -r -t 30 -u "${SNI[0]}" line; do
        [ "$line" = ok ] && return 0
        [[ "$line" == error* ]] && { echo "sni host: $* -> $line" >&2; return 1; }
        echo "$line"
    done
    echo "sni host: no answer to $*" >&2 && return 1
}
e2e_tip_is() { [ "$(e2e_sni prop ToolTip)" = "$1" ]; }
e2e_items_are() { [ "$(e2e_sni items)" = "$1" ]; }

# X11 states of the player's window.
e2e_viewable() { [[ "$(xwininfo -id "$WID")" == *"Map State: IsViewable"* ]]; }
e2e_iconic() { [ "$(xprop -id "$WID" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p')" = Iconic ]; }
e2e_hidden() { ! e2e_viewable && ! e2e_iconic; }
e2e_skips_taskbar() { [[ "$(xprop -id "$WID" _NET_WM_STATE)" == *_NET_WM_STATE_SKIP_TASKBAR* ]]; }
